#include "cli/help_language.h"

#include "model/messages.h"

namespace corvane::cli {

void speakChosenLanguage(CLI::App& app) {
    app.option_defaults()->group(translated("cli.help.options"));
    app.set_help_flag("-h,--help", translated("cli.help.help"));
    const std::shared_ptr<CLI::FormatterBase> formatter = app.get_formatter();
    formatter->label("Usage", translated("cli.help.usage"));
    formatter->label("OPTIONS", translated("cli.help.usage-options"));
    formatter->label("SUBCOMMAND", translated("cli.help.usage-subcommand"));
    formatter->label("SUBCOMMANDS", translated("cli.help.usage-subcommands"));
    formatter->label("Positionals", translated("cli.help.positionals"));
    formatter->label("REQUIRED", translated("cli.help.required"));
    formatter->label("Env", translated("cli.help.environment"));
    formatter->label("Needs", translated("cli.help.needs"));
    formatter->label("Excludes", translated("cli.help.excludes"));
}

void nameSubcommandGroup(CLI::App& app) {
    for (CLI::App* subcommand : app.get_subcommands({})) {
        subcommand->group(translated("cli.help.subcommands"));
    }
}

}  // namespace corvane::cli
