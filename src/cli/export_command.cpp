#include <iostream>

#include "cli/commands.h"
#include "cli/gateway_form.h"
#include "files/json_text.h"
#include "model/setup_error.h"
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
            std::cerr << "警告：导出的内容含有 API Key。请像保管密码一样保管和分发它。\n";
        }
        if (options.format == "json") {
            std::cout << prettyJSON(claudeManagedSettings(profile, key)) << '\n';
        } else {
            std::cout << claudeConfigurationProfile(profile, key);
        }
        return kExitSuccess;
    } catch (const SetupError& error) {
        std::cerr << error.text() << '\n';
        if (!error.detail().empty()) std::cerr << error.detail() << '\n';
        return kExitUsage;
    }
}

}  // namespace

void addExportCommand(CLI::App& app, CommandAction& run) {
    auto* command = app.add_subcommand(
        "export", "print a profile's settings for device management (managed Macs)");
    auto options = std::make_shared<ExportOptions>();
    command->add_option("--profile", options->profile, "the team's profile file (JSON5)")
        ->required();
    command
        ->add_option("--client", options->client,
                     "the client whose managed settings to print (claude)")
        ->required()
        ->check(CLI::Validator(
            [](const std::string& name) {
                const std::optional<Client> client = clientNamed(name);
                return client && readsManagedPreferences(*client)
                           ? std::string()
                           : "only Claude desktop reads managed preferences: " + name;
            },
            "CLIENT"));
    command->add_option("--format", options->format, "mobileconfig (XML plist) or json")
        ->required()
        ->check(CLI::IsMember({"mobileconfig", "json"}));
    command->add_flag("--key-stdin", options->keySource.keyFromStdin,
                      "include the API key, read from one line of standard input");
    command->callback([&run, options] { run = [options] { return runExport(*options); }; });
}

}  // namespace corvane::cli
