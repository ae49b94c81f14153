#include <iostream>
#include <nlohmann/json.hpp>
#include <string>

#include "check/gateway_models.h"
#include "cli/commands.h"
#include "cli/gateway_form.h"
#include "cli/interrupt_watcher.h"
#include "files/json_text.h"
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

// The listing's IDs, one a line, written in blocks so that a long list needs
// no copy of all its lines.
void printIds(const ListedModels& models) {
    constexpr std::size_t kBlockBytes = std::size_t{64} * 1024;
    std::string block;
    block.reserve(kBlockBytes + 256);
    for (const ListedModel& model : models) {
        appendDisplayable(block, model.id);
        block += '\n';
        if (block.size() >= kBlockBytes) {
            std::cout.write(block.data(), static_cast<std::streamsize>(block.size()));
            block.clear();
        }
    }
    std::cout.write(block.data(), static_cast<std::streamsize>(block.size()));
}

void printJson(const ListedModels& models) {
    nlohmann::json list = nlohmann::json::array();
    for (const ListedModel& model : models) {
        list.push_back({{"id", model.id},
                        {"name", model.name ? nlohmann::json(*model.name) : nlohmann::json()}});
    }
    std::cout << displayableJSON(list) << '\n';
}

int listModels(const ModelsOptions& options) {
    try {
        const GatewayForm& form = options.form;
        const Client client = *form.client();
        const GatewayConnection connection(form.address, form.key(), form.auth, client);
        std::stop_source stop;
        const InterruptWatcher interrupt([&stop] { stop.request_stop(); });
        const ModelListing listing = listGatewayModels(connection, client, stop.get_token(), {}, {},
                                                       trustStoreFromEnvironment());
        if (options.asJson) {
            printJson(listing.models);
        } else {
            printIds(listing.models);
        }
        if (listing.incomplete) {
            std::cerr << translated("workflow.models.incomplete",
                                    {{"reason", displayable(*listing.incomplete)}})
                      << '\n';
        } else if (listing.models.empty()) {
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
