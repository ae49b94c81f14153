#include "gui/focus_ring.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

#include "gui/accent_button.h"
#include "gui/signal_colours.h"

namespace corvane {
namespace {

constexpr int kGap = 1;
constexpr qreal kWidth = 2;
constexpr qreal kRadius = 5;

// The accent button rings itself inside its fill; fields have the style's.
bool takesRing(const QWidget* widget) {
    if (dynamic_cast<const AccentButton*>(widget) != nullptr) return false;
    return qobject_cast<const QPushButton*>(widget) || qobject_cast<const QToolButton*>(widget) ||
           qobject_cast<const QComboBox*>(widget);
}

}  // namespace

FocusRing::FocusRing(QWidget* window) : QWidget(window) {
    setObjectName(QStringLiteral("focusRing"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    window->installEventFilter(this);
    setGeometry(window->rect());
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { follow(now); });
}

void FocusRing::follow(QWidget* focused) {
    watchPlace(false);
    target_ =
        focused && parentWidget()->isAncestorOf(focused) && takesRing(focused) ? focused : nullptr;
    watchPlace(true);
    raise();
    update();
}

// A scroll or a new layout moves the target or one of its parents.
void FocusRing::watchPlace(bool watch) {
    for (QWidget* widget = target_; widget && widget != parentWidget();
         widget = widget->parentWidget()) {
        if (watch) {
            widget->installEventFilter(this);
        } else {
            widget->removeEventFilter(this);
        }
    }
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Resize:
            if (watched == parentWidget()) setGeometry(parentWidget()->rect());
            update();
            break;
        case QEvent::Move:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::EnabledChange:
            update();
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void FocusRing::paintEvent(QPaintEvent*) {
    if (!target_ || !target_->isVisible() || !target_->hasFocus() ||
        !window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        return;
    }
    const QRect place(target_->mapTo(parentWidget(), QPoint()), target_->size());
    QPainter painter(this);
    // Inside a scroll area the ring is cut where the field is.
    for (QWidget* widget = target_->parentWidget(); widget && widget != parentWidget();
         widget = widget->parentWidget()) {
        if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) {
            QWidget* view = area->viewport();
            painter.setClipRect(QRect(view->mapTo(parentWidget(), QPoint()), view->size()));
        }
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(focusColor(palette()), kWidth));
    const qreal out = kGap + kWidth / 2;
    painter.drawRoundedRect(QRectF(place).adjusted(-out, -out, out, out), kRadius, kRadius);
}

}  // namespace corvane
