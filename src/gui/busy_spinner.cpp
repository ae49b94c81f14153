#include "gui/busy_spinner.h"

#include <QPainter>

namespace corvane {
namespace {

constexpr int kSize = 16;
constexpr int kStepDegrees = 30;
constexpr int kStepMilliseconds = 80;

}  // namespace

BusySpinner::BusySpinner(QWidget* parent) : QWidget(parent) {
    setFixedSize(kSize, kSize);
    timer_.setInterval(kStepMilliseconds);
    connect(&timer_, &QTimer::timeout, this, [this] {
        angle_ = (angle_ + kStepDegrees) % 360;
        update();
    });
}

void BusySpinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor faint = palette().color(QPalette::WindowText);
    faint.setAlphaF(0.18);
    const QRectF ring = QRectF(rect()).adjusted(2, 2, -2, -2);
    painter.setPen(QPen(faint, 2));
    painter.drawEllipse(ring);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 2, Qt::SolidLine, Qt::RoundCap));
    // Qt counts arcs in sixteenths of a degree, counter-clockwise.
    painter.drawArc(ring, (90 - angle_) * 16, -100 * 16);
}

void BusySpinner::showEvent(QShowEvent* event) {
    timer_.start();
    QWidget::showEvent(event);
}

void BusySpinner::hideEvent(QHideEvent* event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

}  // namespace corvane
