#include "gui/hairline.h"

#include <QPainter>

namespace corvane {

Hairline::Hairline(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("divider"));
    setFixedWidth(1);
}

void Hairline::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), palette().color(QPalette::Mid));
}

}  // namespace corvane
