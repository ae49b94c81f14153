#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/gateway_form.h"
#include "defaults/user_defaults.h"
#include "files/json_text.h"
#include "model/messages.h"
#include "model/text.h"
#include "platform/workspace.h"
#include "workflow/client_overview.h"
#include "workflow/setup_form.h"

namespace corvane::cli {
namespace {

struct StatusOptions {
    bool asJson = false;
    std::string clientName;
    std::string config;
};

template <typename Value>
nlohmann::json optionalJson(const std::optional<Value>& value) {
    return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

nlohmann::json overviewJson(const ClientOverview& overview) {
    const ClientConfigurationStatus& status = overview.configuration;
    nlohmann::json files = nlohmann::json::array();
    for (const auto& file : status.files) {
        files.push_back(
            {{"path", file.path.string()}, {"exists", file.exists}, {"backup", file.backup}});
    }
    return {{"client", caseName(overview.client)},
            {"installed", overview.installed},
            {"version", optionalJson(overview.version)},
            {"configured", optionalJson(status.configured)},
            {"address", optionalJson(status.address)},
            {"models", status.models},
            {"files", files}};
}

void printOverview(const ClientOverview& overview) {
    const ClientConfigurationStatus& status = overview.configuration;
    std::string installed = overview.installed ? translated("cli.status.installed")
                                               : translated("cli.status.not-installed");
    if (overview.version) installed += " " + *overview.version;
    const std::string configured = !status.configured   ? translated("cli.status.unknown")
                                   : *status.configured ? translated("cli.status.configured")
                                                        : translated("cli.status.not-configured");
    std::string models;
    for (const auto& model : status.models) models += (models.empty() ? "" : ", ") + model;
    // A value read from a file is shown escaped: it must not steer the terminal.
    std::cout << clientLabel(overview.client) << '\t' << displayable(installed) << '\t'
              << configured << '\t' << displayable(status.address.value_or("-")) << '\t'
              << (models.empty() ? "-" : displayable(models)) << '\n';
    for (const auto& file : status.files) {
        std::cout << '\t' << displayable(file.path.string()) << '\t'
                  << (file.exists ? translated("cli.status.file-exists")
                                  : translated("cli.status.file-missing"))
                  << (file.backup ? "\t" + translated("cli.status.has-backup") : std::string())
                  << '\n';
    }
}

int runStatus(const StatusOptions& options) {
    const auto workspace = makeSystemWorkspace();
    const WorkflowServices services(*workspace);
    const UserDefaults defaults;
    nlohmann::json list = nlohmann::json::array();
    for (Client client : allClients()) {
        if (!options.clientName.empty() && clientNamed(options.clientName) != client) continue;
        // The path the window shows for the client, as reset takes it.
        std::string chosenPath = options.config;
        if (chosenPath.empty()) {
            chosenPath = defaults.value(configurationPathKey(client)).value_or("");
        } else if (chosenPath != "~" && !chosenPath.starts_with("~/")) {
            chosenPath = std::filesystem::absolute(chosenPath).string();
        }
        const ClientOverview overview = clientOverview(client, chosenPath, services);
        if (options.asJson) {
            list.push_back(overviewJson(overview));
        } else {
            printOverview(overview);
        }
    }
    if (options.asJson) std::cout << displayableJSON(list, 2) << '\n';
    return kExitSuccess;
}

}  // namespace

void addStatusCommand(CLI::App& app, CommandAction& run) {
    auto* command = app.add_subcommand("status", translated("cli.command.status"));
    auto options = std::make_shared<StatusOptions>();
    command->add_flag("--json", options->asJson, translated("cli.option.json"));
    auto* client =
        command->add_option("--client", options->clientName, translated("cli.option.status-client"))
            ->check([](const std::string& name) {
                return clientNamed(name) ? std::string() : unknownClient(name);
            });
    command->add_option("--config", options->config, translated("cli.option.config"))
        ->needs(client);
    command->callback([&run, options] { run = [options] { return runStatus(*options); }; });
}

}  // namespace corvane::cli
