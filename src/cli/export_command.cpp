#include <iostream>

#include "cli/commands.h"
#include "cli/gateway_form.h"
#include "cli/terminal_host.h"
#include "files/json_text.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "model/text.h"
#include "workflow/managed_export.h"

namespace corvane::cli {
namespace {

struct ExportOptions {
    std::string profile;
    std::string client;
    std::string format;
    GatewayForm keySource;
};

int runExport(const ExportOptions& options) {
    try {
        const GatewayProfile profile = readGatewayProfile(options.profile);
        // Checked before the key is asked for, so a faulty profile costs no typing.
        claudeManagedSettings(profile, std::nullopt);
        std::optional<std::string> key;
        if (options.keySource.keyFromStdin) {
            key = options.keySource.key();
            std::cerr << translated("cli.export.key-warning") << '\n';
        }
        if (options.format == "json") {
            std::cout << displayableJSON(claudeManagedSettings(profile, key), 2) << '\n';
        } else {
            printFileText(claudeConfigurationProfile(profile, key));
        }
        return kExitSuccess;
    } catch (const SetupError& error) {
        std::cerr << displayable(error.text()) << '\n';
        if (!error.detail().empty()) std::cerr << displayable(error.detail()) << '\n';
        return kExitUsage;
    }
}

}  // namespace

void addExportCommand(CLI::App& app, CommandAction& run) {
    auto* command = app.add_subcommand("export", translated("cli.command.export"));
    auto options = std::make_shared<ExportOptions>();
    command->add_option("--profile", options->profile, translated("cli.option.profile"))
        ->required();
    command->add_option("--client", options->client, translated("cli.option.export-client"))
        ->required()
        ->check(CLI::Validator(
            [](const std::string& name) {
                const std::optional<Client> client = clientNamed(name);
                return client && readsManagedPreferences(*client)
                           ? std::string()
                           : translated("cli.export.only-claude", {{"name", name}});
            },
            "CLIENT"));
    command->add_option("--format", options->format, translated("cli.option.format"))
        ->required()
        ->check(CLI::IsMember({"mobileconfig", "json"}));
    command->add_flag("--key-stdin", options->keySource.keyFromStdin,
                      translated("cli.option.export-key-stdin"));
    command->callback([&run, options] { run = [options] { return runExport(*options); }; });
}

}  // namespace corvane::cli
