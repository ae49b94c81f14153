#include <curl/curl.h>

#include <iostream>

#include "cli/commands.h"
#include "cli/help_language.h"
#include "model/messages.h"
#include "platform/memory_privacy.h"
#include "platform/preferred_languages.h"

int main(int argc, char** argv) {
    corvane::keepMemoryPrivate();
    // Before any thread, and before the help texts are made.
    corvane::chooseLanguage(corvane::startLanguage(
        corvane::languageArgument({argv + 1, argv + argc}), corvane::preferredLanguages()));
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CLI::App app{corvane::translated("cli.description")};
    corvane::cli::speakChosenLanguage(app);
    app.set_version_flag("--version", CORVANE_VERSION, corvane::translated("cli.help.version"));
    app.require_subcommand(1);
    // Read above already; named here so that help lists it and a wrong value is refused.
    std::string language;
    app.add_option("--lang", language, corvane::translated("cli.option.lang"))
        ->check(CLI::IsMember({"zh", "en"}));
    app.fallthrough();
    corvane::cli::CommandAction run;
    corvane::cli::addClientsCommand(app, run);
    corvane::cli::addValidateCommand(app, run);
    corvane::cli::addCheckCommand(app, run);
    corvane::cli::addModelsCommand(app, run);
    corvane::cli::addApplyCommand(app, run);
    corvane::cli::addResetCommand(app, run);
    corvane::cli::addStatusCommand(app, run);
    corvane::cli::addLinkCommand(app, run);
    corvane::cli::addExportCommand(app, run);
    corvane::cli::nameSubcommandGroup(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? corvane::cli::kExitSuccess : corvane::cli::kExitUsage;
    }
    const int status = run ? run() : corvane::cli::kExitUsage;
    curl_global_cleanup();
    return status;
}
