#pragma once

#include <QString>
#include <optional>
#include <string>

#include "gui/setup_window.h"

class QAbstractButton;
class QMessageBox;

namespace corvane::testing {

// Works a shown SetupWindow the way a user does: clicks, typing, keys.
class WindowDriver {
public:
    explicit WindowDriver(SetupWindow& window);

    void clickClient(Client client);
    // The sidebar row says gui.sidebar.configured (its mark's tooltip and accessible text).
    bool markedConfigured(Client client) const;
    // The line under the header, or nothing when it is hidden.
    std::optional<QString> configuredLine() const;
    void type(const QString& field, const QString& text);
    void chooseAuth(const QString& value);
    void click(const QString& button);

    template <typename Widget>
    Widget* find(const QString& name) const {
        return window_.findChild<Widget*>(name);
    }

    // The model-row widgets in row order.
    QList<QWidget*> rowWidgets(const QString& prefix) const;

    // Waits for a message box of that name to open.
    QMessageBox* waitForBox(const QString& name) const;
    static QAbstractButton* buttonTitled(QMessageBox& box, const QString& title);
    static QStringList buttonTitles(QMessageBox& box);

private:
    SetupWindow& window_;
};

}  // namespace corvane::testing
