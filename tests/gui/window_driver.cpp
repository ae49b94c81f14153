#include "window_driver.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTest>
#include <algorithm>

#include "gui/form_text.h"
#include "support/catalogue_text.h"

namespace corvane::testing {

WindowDriver::WindowDriver(SetupWindow& window) : window_(window) {}

namespace {

int rowOf(Client client) {
    const auto position = std::find(allClients().begin(), allClients().end(), client);
    return static_cast<int>(position - allClients().begin());
}

}  // namespace

void WindowDriver::clickClient(Client client) {
    auto* list = find<QListWidget>(QStringLiteral("clientList"));
    const QRect rect = list->visualItemRect(list->item(rowOf(client)));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

bool WindowDriver::markedConfigured(Client client) const {
    const QListWidgetItem* item =
        find<QListWidget>(QStringLiteral("clientList"))->item(rowOf(client));
    const QString mark = qText(zh("gui.sidebar.configured"));
    return item->data(Qt::ToolTipRole).toString() == mark &&
           item->data(Qt::AccessibleDescriptionRole).toString() == mark;
}

std::optional<QString> WindowDriver::configuredLine() const {
    auto* line = find<QLabel>(QStringLiteral("configuredLine"));
    if (!line->isVisibleTo(&window_)) return std::nullopt;
    return line->text();
}

void WindowDriver::type(const QString& field, const QString& text) {
    auto* edit = find<QLineEdit>(field);
    ASSERT_NE(edit, nullptr) << field.toStdString();
    edit->setFocus();
    QTest::keyClicks(edit, text);
}

void WindowDriver::chooseAuth(const QString& value) {
    auto* auth = find<QComboBox>(QStringLiteral("auth"));
    auth->setCurrentIndex(auth->findData(value));
}

void WindowDriver::click(const QString& button) {
    auto* widget = find<QAbstractButton>(button);
    ASSERT_NE(widget, nullptr) << button.toStdString();
    QTest::mouseClick(widget, Qt::LeftButton);
}

QList<QWidget*> WindowDriver::rowWidgets(const QString& prefix) const {
    // New row widgets are shown by a queued call of their layout.
    QCoreApplication::processEvents();
    QList<QWidget*> widgets;
    for (QWidget* widget : window_.findChildren<QWidget*>()) {
        if (widget->objectName().startsWith(prefix) && widget->isVisible()) widgets.append(widget);
    }
    std::sort(widgets.begin(), widgets.end(),
              [](QWidget* a, QWidget* b) { return a->y() < b->y(); });
    return widgets;
}

QMessageBox* WindowDriver::waitForBox(const QString& name) const {
    QMessageBox* box = nullptr;
    const bool opened = QTest::qWaitFor([&] {
        box = find<QMessageBox>(name);
        return box != nullptr && box->isVisible();
    });
    return opened ? box : nullptr;
}

QAbstractButton* WindowDriver::buttonTitled(QMessageBox& box, const QString& title) {
    for (QAbstractButton* button : box.buttons()) {
        if (button->text() == title) return button;
    }
    return nullptr;
}

// In the order the box shows them, left to right.
QStringList WindowDriver::buttonTitles(QMessageBox& box) {
    QList<QAbstractButton*> buttons = box.buttons();
    std::sort(buttons.begin(), buttons.end(), [](QAbstractButton* a, QAbstractButton* b) {
        return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x();
    });
    QStringList titles;
    for (QAbstractButton* button : buttons) titles.append(button->text());
    return titles;
}

}  // namespace corvane::testing
