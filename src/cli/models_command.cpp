#include <algorithm>
#include <iostream>
#include <nlohmann/json.hpp>
#include <vector>

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

// What the command prints, built as the models are read and printed only once
// the listing has not failed.
class ModelListing {
public:
    explicit ModelListing(bool asJson) : asJson_(asJson) {}

    void add(const ListedModel& model) {
        ++count_;
        if (asJson_) {
            json_.push_back(
                {{"id", model.id},
                 {"name", model.name ? nlohmann::json(*model.name) : nlohmann::json()}});
            return;
        }
        const std::string shown = displayable(model.id);
        if (blocks_.empty() ||
            blocks_.back().size() + shown.size() + 1 > blocks_.back().capacity()) {
            blocks_.emplace_back().reserve(std::max(kBlockBytes, shown.size() + 1));
        }
        blocks_.back() += shown;
        blocks_.back() += '\n';
    }
    std::size_t count() const { return count_; }
    void print() const {
        if (asJson_) {
            std::cout << json_.dump() << '\n';
        } else {
            for (const std::string& block : blocks_) std::cout << block;
        }
    }

private:
    // The lines in blocks of this size, so that a long list is never copied
    // to grow.
    static constexpr std::size_t kBlockBytes = std::size_t{64} * 1024;

    bool asJson_;
    std::size_t count_ = 0;
    std::vector<std::string> blocks_;
    nlohmann::json json_ = nlohmann::json::array();
};

int listModels(const ModelsOptions& options) {
    try {
        const GatewayForm& form = options.form;
        const Client client = *form.client();
        const GatewayConnection connection(form.address, form.key(), form.auth, client);
        std::stop_source stop;
        const InterruptWatcher interrupt([&stop] { stop.request_stop(); });
        ModelListing listing(options.asJson);
        const std::optional<std::string> incomplete = listGatewayModels(
            connection, client, stop.get_token(), {}, {}, trustStoreFromEnvironment(),
            [&listing](const ListedModel& model) { listing.add(model); });
        listing.print();
        if (incomplete) {
            std::cerr << translated("workflow.models.incomplete",
                                    {{"reason", displayable(*incomplete)}})
                      << '\n';
        } else if (listing.count() == 0) {
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
