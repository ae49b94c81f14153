#include <QApplication>

#include "gui/first_paint_reporter.h"
#include "gui/interface_font.h"
#include "gui/qt_translations.h"
#include "gui/setup_link_events.h"
#include "gui/setup_window.h"
#include "gui/updater.h"
#include "gui/window_commands.h"
#include "model/messages.h"
#include "platform/memory_privacy.h"
#include "platform/preferred_languages.h"
#include "platform/workspace.h"
#include "workflow/setup_session.h"

int main(int argc, char** argv) {
    corvane::keepMemoryPrivate();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const std::optional<std::string> languageName = corvane::languageArgument(arguments);
    // Before any thread starts.
    corvane::chooseLanguage(corvane::startLanguage(languageName, corvane::preferredLanguages()));
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("corvane-setup"));
    corvane::useInterfaceFont();
    corvane::useQtTranslations(corvane::chosenLanguage());

    const std::unique_ptr<corvane::Workspace> workspace = corvane::makeSystemWorkspace();
    corvane::SetupWindow window;
    corvane::SetupSession session(window, corvane::WorkflowServices(*workspace));
    window.setActions(&session);
    // The window lives as long as the application, on the Mac too: closing
    // it quits, and the close handling stops a running workflow first.
    QApplication::setQuitOnLastWindowClosed(true);
    // The updater starts with the application; without one built in,
    // gui.command.check-for-updates is left out.
    const std::unique_ptr<corvane::Updater> updater = corvane::startUpdater();
    std::function<void()> checkForUpdates;
    if (updater) checkForUpdates = [&updater] { updater->checkForUpdates(); };
    corvane::installWindowCommands(window, checkForUpdates);
    corvane::FirstPaintReporter reporter;
    if (qEnvironmentVariableIsSet("CORVANE_EXIT_AFTER_SHOW")) window.installEventFilter(&reporter);
    app.installEventFilter(new corvane::SetupLinkEvents(window));
    window.show();
    // The desktop entry passes an import link as the one argument.
    std::vector<std::string> qtArguments;
    for (const QString& argument : QApplication::arguments().mid(1)) {
        qtArguments.push_back(argument.toStdString());
    }
    if (const auto rest = corvane::withoutLanguageArgument(qtArguments); !rest.empty()) {
        window.openLink(QString::fromStdString(rest.front()));
    }
    const int status = app.exec();
    // A worker waiting for an answer must get one before the session joins it.
    window.shutDown();
    return status;
}
