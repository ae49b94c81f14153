#pragma once

#include <QString>
#include <functional>

class QAction;
class QMenuBar;
class QWidget;

namespace corvane {

// The commands that act on the window as a whole, with the platform's
// standard keys: Quit ends the application, Close closes the window (which
// ends it too: the window lives as long as the application), Minimize and
// About. Both quitting and closing stop a running workflow through the
// window's close handling.
struct WindowCommands {
    QAction* quit;
    QAction* close;
    QAction* minimize;
    QAction* about;
    // gui.command.check-for-updates, present only when an updater is built in.
    QAction* checkForUpdates;
};

// Creates the commands, owned by `window`. `checkForUpdates`, when given,
// is what gui.command.check-for-updates does.
WindowCommands makeWindowCommands(QWidget& window, const std::function<void()>& checkForUpdates);

// The Mac's menu bar for the commands: the application menu (About, then
// gui.command.check-for-updates, and Quit, which Qt moves there by their
// roles) and the Window menu (Minimize, Close). Without a parent it is the
// application's own menu bar.
QMenuBar* makeMenuBar(const WindowCommands& commands, QWidget* parent);

// What each platform needs of the commands: on macOS the menu bar; elsewhere
// the keys on the window itself, which has no menu bar.
void installWindowCommands(QWidget& window, const std::function<void()>& checkForUpdates = {});

}  // namespace corvane
