#include <iostream>

#include "cli/commands.h"
#include "cli/gateway_form.h"
#include "files/json_text.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "model/text.h"

namespace corvane::cli {

void addValidateCommand(CLI::App& app, CommandAction& run) {
    auto* command = app.add_subcommand("validate", translated("cli.command.validate"));
    auto form = std::make_shared<GatewayForm>();
    form->addOptions(*command);
    command->callback([&run, form] {
        form->refuseExtraModels();
        run = [form] {
            try {
                const GatewaySettings settings(form->address, form->key(), form->auth, form->rows(),
                                               *form->client());
                nlohmann::json shown = settings.json();
                shown["inferenceGatewayApiKey"] = "<redacted>";
                std::cout << displayableJSON(shown, 2) << '\n';
                return kExitSuccess;
            } catch (const SetupError& error) {
                std::cerr << displayable(error.text()) << '\n';
                return kExitFailed;
            }
        };
    });
}

}  // namespace corvane::cli
