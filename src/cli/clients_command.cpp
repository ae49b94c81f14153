#include <iostream>

#include "cli/commands.h"
#include "files/config_files.h"
#include "files/json_text.h"
#include "model/client.h"
#include "model/messages.h"

namespace corvane::cli {

void addClientsCommand(CLI::App& app, CommandAction& run) {
    auto* command = app.add_subcommand("clients", translated("cli.command.clients"));
    auto asJson = std::make_shared<bool>(false);
    command->add_flag("--json", *asJson, translated("cli.option.json"));
    command->callback([&run, asJson] {
        run = [asJson] {
            nlohmann::json list = nlohmann::json::array();
            for (Client client : allClients()) {
                const auto path = defaultPath(client);
                if (*asJson) {
                    list.push_back({{"name", rawValue(client)},
                                    {"protocol", protocolName(client, Language::chinese)},
                                    {"defaultPath", path ? nlohmann::json(*path) : nullptr}});
                } else {
                    std::cout << rawValue(client) << '\t' << protocolName(client) << '\t'
                              << path.value_or("-") << '\n';
                }
            }
            if (*asJson) std::cout << displayableJSON(list, 2) << '\n';
            return kExitSuccess;
        };
    });
}

}  // namespace corvane::cli
