#include "gui/line_icon_engine.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QSvgRenderer>

namespace corvane {
namespace {

QColor inkFor(QIcon::Mode mode, bool faded) {
    const QPalette palette = QGuiApplication::palette();
    return mode == QIcon::Disabled || faded
               ? palette.color(QPalette::Disabled, QPalette::WindowText)
               : palette.color(QPalette::Active, QPalette::WindowText);
}

// The drawing's strokes are black; its shape is kept and the colour replaced.
QPixmap render(const QString& resource, const QSize& pixels, QIcon::Mode mode, bool faded) {
    QPixmap pixmap(pixels);
    pixmap.fill(Qt::transparent);
    if (pixels.isEmpty()) return pixmap;
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), inkFor(mode, faded));
    return pixmap;
}

}  // namespace

void LineIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) {
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap pixmap = render(resource_, rect.size() * ratio, mode, faded_);
    pixmap.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect.topLeft(), pixmap);
}

QPixmap LineIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) {
    return render(resource_, size, mode, faded_);
}

QPixmap LineIconEngine::scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal) {
    return render(resource_, size, mode, faded_);
}

}  // namespace corvane
