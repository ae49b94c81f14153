#include "gui/window_commands.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenuBar>
#include <QMessageBox>
#include <QWidget>

#include "gui/alerts.h"
#include "gui/form_text.h"
#include "model/messages.h"

namespace corvane {
namespace {

// Some platforms' key schemes have no binding for a command (Windows' has no
// Quit); the usual key then serves.
QList<QKeySequence> keysFor(QKeySequence::StandardKey command, const QKeySequence& usual) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(command);
    if (!keys.contains(usual)) keys.append(usual);
    return keys;
}

QAction* command(QWidget& window, const QString& title, const QList<QKeySequence>& keys,
                 QAction::MenuRole role, const std::function<void()>& run) {
    auto* action = new QAction(title, &window);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setMenuRole(role);
    QObject::connect(action, &QAction::triggered, &window, run);
    return action;
}

// Without an updater built in, the box says where new versions come from. A
// second request brings the open box forward.
void showAbout(QWidget& window, bool hasUpdater) {
    auto* open = window.findChild<QMessageBox*>(QStringLiteral("aboutBox"));
    if (open && open->isVisible()) {
        open->raise();
        open->activateWindow();
        return;
    }
    std::string details = translated(
        "gui.app.version", {{"version", QApplication::applicationVersion().toStdString()}});
    if (!hasUpdater) {
#ifdef Q_OS_MACOS
        details += "\n" + translated("gui.about.updates-from-disk-image");
#else
        details += "\n" + translated("gui.about.updates-from-package-manager");
#endif
    }
    QMessageBox* box =
        makeAboutBox(qText(translated("gui.about.title")), qText(details), &window).release();
    box->setObjectName(QStringLiteral("aboutBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Nothing waits for it, as with the system's own About boxes.
    box->setModal(false);
    box->show();
}

}  // namespace

WindowCommands makeWindowCommands(QWidget& window, const std::function<void()>& checkForUpdates) {
    WindowCommands commands{};
    // Closing every window ends the loop; the window's close handling stops a
    // running workflow first.
    commands.quit = command(window, qText(translated("gui.command.quit")),
                            keysFor(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)),
                            QAction::QuitRole, [] {
                                QApplication::closeAllWindows();
                                QCoreApplication::quit();
                            });
    commands.close = command(window, qText(translated("gui.command.close-window")),
                             keysFor(QKeySequence::Close, QKeySequence(Qt::CTRL | Qt::Key_W)),
                             QAction::NoRole, [&window] { window.close(); });
    // Qt reads Ctrl as Command on the Mac: this is Cmd-M there.
    commands.minimize = command(window, qText(translated("gui.command.minimize")),
                                {QKeySequence(Qt::CTRL | Qt::Key_M)}, QAction::NoRole,
                                [&window] { window.showMinimized(); });
    commands.about =
        command(window, qText(translated("gui.about.title")), {}, QAction::AboutRole,
                [&window, hasUpdater = bool(checkForUpdates)] { showAbout(window, hasUpdater); });
    commands.checkForUpdates =
        checkForUpdates ? command(window, qText(translated("gui.command.check-for-updates")), {},
                                  QAction::ApplicationSpecificRole, checkForUpdates)
                        : nullptr;
    return commands;
}

QMenuBar* makeMenuBar(const WindowCommands& commands, QWidget* parent) {
    auto* bar = new QMenuBar(parent);
    bar->setObjectName(QStringLiteral("menuBar"));
    QMenu* application = bar->addMenu(QStringLiteral("AI reru"));
    application->addAction(commands.about);
    if (commands.checkForUpdates) application->addAction(commands.checkForUpdates);
    application->addAction(commands.quit);
    QMenu* windowMenu = bar->addMenu(qText(translated("gui.command.window-menu")));
    windowMenu->addAction(commands.minimize);
    windowMenu->addAction(commands.close);
    return bar;
}

void installWindowCommands(QWidget& window, const std::function<void()>& checkForUpdates) {
    const WindowCommands commands = makeWindowCommands(window, checkForUpdates);
#ifdef Q_OS_MACOS
    // Parentless: the application's menu bar, shown while it runs.
    makeMenuBar(commands, nullptr);
#else
    window.addActions({commands.quit, commands.close});
#endif
}

}  // namespace corvane
