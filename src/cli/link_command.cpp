#include <iostream>

#include "cli/commands.h"
#include "files/json_text.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "model/text.h"
#include "workflow/setup_link.h"

namespace corvane::cli {

void addLinkCommand(CLI::App& app, CommandAction& run) {
    auto* command = app.add_subcommand("link", translated("cli.command.link"));
    auto link = std::make_shared<std::string>();
    command->add_option("URL", *link, translated("cli.option.link"))->required();
    command->callback([&run, link] {
        run = [link] {
            try {
                const SetupLink filled = parseSetupLink(*link);
                nlohmann::json models = nlohmann::json::array();
                for (const ModelRow& row : filled.rows) {
                    models.push_back({{"id", row.modelID}, {"name", row.displayName}});
                }
                const nlohmann::json shown = {{"client", caseName(filled.client)},
                                              {"address", filled.address},
                                              {"auth", filled.auth},
                                              {"models", models},
                                              {"host", filled.host}};
                std::cout << displayableJSON(shown, 2) << '\n';
                return kExitSuccess;
            } catch (const SetupError& error) {
                std::cerr << displayable(error.text()) << '\n';
                return kExitUsage;
            }
        };
    });
}

}  // namespace corvane::cli
