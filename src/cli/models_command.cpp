#include <iostream>
#include <nlohmann/json.hpp>

#include "check/gateway_models.h"
#include "cli/commands.h"
#include "cli/gateway_form.h"
#include "cli/interrupt_watcher.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "model/text.h"
#include "platform/platform_error.h"

namespace corvane::cli {

namespace {

struct ModelsOptions {
    GatewayForm form;
    bool asJson = false;
};

void print(const std::vector<GatewayModel>& models, bool asJson) {
    if (!asJson) {
        std::string text;
        text.reserve(models.size() * 16);
        for (const GatewayModel& model : models) {
            text += displayable(model.id);
            text += '\n';
        }
        std::cout << text;
        return;
    }
    nlohmann::json list = nlohmann::json::array();
    for (const GatewayModel& model : models) {
        list.push_back({{"id", model.id},
                        {"name", model.name ? nlohmann::json(*model.name) : nlohmann::json()}});
    }
    std::cout << list.dump() << '\n';
}

int listModels(const ModelsOptions& options) {
    try {
        const GatewayForm& form = options.form;
        const Client client = *form.client();
        const GatewayConnection connection(form.address, form.key(), form.auth, client);
        std::stop_source stop;
        const InterruptWatcher interrupt([&stop] { stop.request_stop(); });
        const GatewayModelList list = gatewayModels(connection, client, stop.get_token());
        print(list.models, options.asJson);
        if (list.incomplete) {
            std::cerr << translated("workflow.models.incomplete",
                                    {{"reason", displayable(*list.incomplete)}})
                      << '\n';
        } else if (list.models.empty()) {
            std::cerr << translated("workflow.models.none-listed") << '\n';
        }
        return kExitSuccess;
    } catch (const SetupError& error) {
        std::cerr << displayable(error.text()) << '\n';
        return kExitFailed;
    } catch (const OperationCancelled&) {
        std::cerr << translated("cli.models.cancelled") << '\n';
        return kExitInterrupted;
    } catch (const std::exception&) {
        // Other errors' texts are for diagnostics, not for the user.
        std::cerr << translated("workflow.models.fetch-failed") << '\n';
        return kExitFailed;
    }
}

}  // namespace

void addModelsCommand(CLI::App& app, CommandAction& run) {
    auto* command = app.add_subcommand("models", translated("cli.command.models"));
    auto options = std::make_shared<ModelsOptions>();
    options->form.addConnectionOptions(*command);
    command->add_flag("--json", options->asJson, translated("cli.option.models-json"));
    command->callback([&run, options] { run = [options] { return listModels(*options); }; });
}

}  // namespace corvane::cli
