#include "gui/accent_button.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyle>

namespace corvane {

void AccentButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = palette().color(QPalette::Active, QPalette::Highlight);
    if (!isEnabled()) {
        fill.setAlphaF(0.45);
    } else if (isDown()) {
        fill = fill.darker(115);
    } else if (underMouse()) {
        fill = fill.lighter(108);
    }
    const QRectF face = QRectF(rect()).adjusted(1, 1, -1, -1);
    QPainterPath shape;
    shape.addRoundedRect(face, 5, 5);
    painter.fillPath(shape, fill);
    if (hasFocus()) {
        // A white ring inside the fill shows keyboard focus on any accent.
        painter.setPen(QPen(Qt::white, 2));
        painter.drawRoundedRect(face.adjusted(2, 2, -2, -2), 3.5, 3.5);
    }
    QColor ink(Qt::white);
    if (!isEnabled()) ink.setAlphaF(0.8);
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
}

}  // namespace corvane
