#include "gui/alerts.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QVariant>

#include "gui/icons.h"
#include "model/text.h"

namespace corvane {
namespace {

constexpr int kDialogWidth = 400;
constexpr int kIconSize = 40;
constexpr int kAboutIconSize = 64;

// A question may name a client application as its desktop entry or bundle
// calls it.
QString text(const std::string& value) { return QString::fromStdString(displayable(value)); }

// Lays the buttons out in the order they were added, in every style: the
// GNOME and KDE conventions would regroup and reverse them by role, and the
// questions' order is part of what they say.
class AddedOrderStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_DialogButtonLayout) return QDialogButtonBox::WinLayout;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

void keepAddedOrder(QMessageBox& box) {
    auto* buttons = box.findChild<QDialogButtonBox*>();
    if (!buttons) return;
    auto* style = new AddedOrderStyle;
    style->setParent(buttons);
    buttons->setStyle(style);
}

// The window's own line icons, drawn for the screen's pixel ratio, instead of
// Qt's bitmaps.
qreal pixelRatio(const QMessageBox& box) {
    return box.parentWidget() ? box.parentWidget()->devicePixelRatioF() : qApp->devicePixelRatio();
}

void useLineIcon(QMessageBox& box, std::string_view symbol) {
    box.setIconPixmap(symbolIcon(symbol).pixmap(QSize(kIconSize, kIconSize), pixelRatio(box)));
}

// A bold title line and a message column wide enough that the whole box is
// about kDialogWidth wide, whatever the style's icon and margins.
void shapeDialog(QMessageBox& box, const QString& title, const QString& message) {
    box.setText(title);
    box.setInformativeText(message);
    auto* titleLabel = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    auto* messageLabel = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
    if (!titleLabel || !messageLabel) return;
    titleLabel->setTextFormat(Qt::PlainText);
    messageLabel->setTextFormat(Qt::PlainText);
    QFont bold = titleLabel->font();
    bold.setBold(true);
    titleLabel->setFont(bold);
    int beside = 0;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const QMargins margins = grid->contentsMargins();
        beside = margins.left() + margins.right();
        const int spacing = grid->horizontalSpacing();
        beside +=
            spacing >= 0 ? spacing : box.style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing);
    }
    if (auto* icon = box.findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"))) {
        beside += icon->sizeHint().width();
    }
    messageLabel->setMinimumWidth(kDialogWidth - beside);
}

QMessageBox::ButtonRole buttonRole(ChoiceRole role) {
    return role == ChoiceRole::cancel ? QMessageBox::RejectRole : QMessageBox::DestructiveRole;
}

}  // namespace

std::unique_ptr<QMessageBox> makeResetConfirmation(const ResetQuestion& question, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    useLineIcon(*box, "exclamationmark.triangle");
    box->setWindowTitle(text(question.title));
    shapeDialog(*box, text(question.title), text(question.message));
    for (const ResetChoice& choice : question.choices) {
        QPushButton* button = box->addButton(text(choice.label), buttonRole(choice.role));
        button->setProperty("action", static_cast<int>(choice.action));
        if (choice.role == ChoiceRole::cancel) {
            box->setDefaultButton(button);
            box->setEscapeButton(button);
        }
    }
    keepAddedOrder(*box);
    return box;
}

std::unique_ptr<QMessageBox> makeQuestionBox(const Question& question, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    useLineIcon(*box, "questionmark.circle");
    box->setWindowTitle(text(question.messageText));
    shapeDialog(*box, text(question.messageText), text(question.informativeText));
    // Restarting ends what runs in the client: the proceeding choice is the
    // destructive one.
    QPushButton* proceed =
        box->addButton(text(question.proceedButton), QMessageBox::DestructiveRole);
    QPushButton* decline = box->addButton(text(question.declineButton), QMessageBox::RejectRole);
    proceed->setProperty("proceeds", true);
    box->setDefaultButton(proceed);
    box->setEscapeButton(decline);
    keepAddedOrder(*box);
    return box;
}

std::unique_ptr<QMessageBox> makeAboutBox(const QString& title, const QString& details,
                                          QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setIconPixmap(applicationPixmap(kAboutIconSize, pixelRatio(*box)));
    box->setWindowTitle(title);
    shapeDialog(*box, QStringLiteral("AI reru"), details);
    box->setStandardButtons(QMessageBox::Ok);
    // Some styles give the button one of Qt's bitmaps, blurred at 2x; the
    // other questions' buttons carry only their words.
    box->button(QMessageBox::Ok)->setIcon(QIcon());
    return box;
}

QAbstractButton* proceedButton(const QMessageBox& box) {
    for (QAbstractButton* button : box.buttons()) {
        if (button->property("proceeds").toBool()) return button;
    }
    return nullptr;
}

}  // namespace corvane
