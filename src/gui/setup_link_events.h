#pragma once

#include <QObject>

class QLabel;
class QLineEdit;
class QWidget;

namespace corvane {

class SetupWindow;

// The line gui.link.origin above the form, hidden until a link fills the
// form; it hides again as soon as the address changes.
QLabel* linkOriginLine(QLineEdit& address, QWidget* parent);

// Hands the import links the system opens the application with to the
// window: macOS delivers them as file-open events with the link's URL.
class SetupLinkEvents : public QObject {
public:
    explicit SetupLinkEvents(SetupWindow& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SetupWindow& window_;
};

}  // namespace corvane
