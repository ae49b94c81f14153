#include "gui/window_commands.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenuBar>
#include <QMessageBox>
#include <QWidget>

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

// Without an updater built in, the box says where new versions come from.
void showAbout(QWidget& window, bool hasUpdater) {
    QString text = QStringLiteral("AI reru\n版本 %1").arg(QApplication::applicationVersion());
    if (!hasUpdater) {
#ifdef Q_OS_MACOS
        text += QStringLiteral("\n新版本请下载新的安装映像，替换本应用。");
#else
        text += QStringLiteral("\n新版本由系统的软件包管理器安装。");
#endif
    }
    QMessageBox::about(&window, QStringLiteral("关于 AI reru"), text);
}

}  // namespace

WindowCommands makeWindowCommands(QWidget& window, const std::function<void()>& checkForUpdates) {
    WindowCommands commands{};
    // Closing every window ends the loop; the window's close handling stops a
    // running workflow first.
    commands.quit = command(window, QStringLiteral("退出 AI reru"),
                            keysFor(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)),
                            QAction::QuitRole, [] {
                                QApplication::closeAllWindows();
                                QCoreApplication::quit();
                            });
    commands.close = command(window, QStringLiteral("关闭窗口"),
                             keysFor(QKeySequence::Close, QKeySequence(Qt::CTRL | Qt::Key_W)),
                             QAction::NoRole, [&window] { window.close(); });
    // Qt reads Ctrl as Command on the Mac: this is Cmd-M there.
    commands.minimize =
        command(window, QStringLiteral("最小化"), {QKeySequence(Qt::CTRL | Qt::Key_M)},
                QAction::NoRole, [&window] { window.showMinimized(); });
    commands.about =
        command(window, QStringLiteral("关于 AI reru"), {}, QAction::AboutRole,
                [&window, hasUpdater = bool(checkForUpdates)] { showAbout(window, hasUpdater); });
    commands.checkForUpdates = checkForUpdates
                                   ? command(window, QStringLiteral("检查更新…"), {},
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
    QMenu* windowMenu = bar->addMenu(QStringLiteral("窗口"));
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
