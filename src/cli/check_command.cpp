#include <iostream>
#include <nlohmann/json.hpp>
#include <stop_token>

#include "check/check_gateway.h"
#include "check/check_request.h"
#include "check/check_times_text.h"
#include "check/trust_store.h"
#include "cli/commands.h"
#include "cli/gateway_form.h"
#include "cli/interrupt_watcher.h"
#include "files/json_text.h"
#include "model/messages.h"
#include "model/text.h"
#include "platform/platform_error.h"
#include "workflow/failure_report.h"

namespace corvane::cli {

namespace {

struct CheckOptions {
    GatewayForm form;
    bool asJson = false;
    bool showRequest = false;
    bool verbose = false;
};

template <typename Value>
nlohmann::json orNull(const std::optional<Value>& value) {
    return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

nlohmann::json jsonOf(const GatewaySettings::Model& model, const ModelCheck& found) {
    const auto count = [](const std::optional<std::chrono::milliseconds>& time) {
        return time ? nlohmann::json(time->count()) : nlohmann::json(nullptr);
    };
    return {
        {"model", model.name},
        {"label", model.label()},
        {"ok", found.passed},
        {"httpStatus", orNull(found.httpStatus)},
        {"firstEventMs", count(found.firstEvent)},
        {"totalMs", count(found.terminalEvent)},
        {"message", found.passed ? nlohmann::json(nullptr) : nlohmann::json(found.message)},
        {"detail", found.detail.empty() ? nlohmann::json(nullptr) : nlohmann::json(found.detail)}};
}

// Which way the request goes: what a failed connection most often comes down to.
void describeConnection(const GatewaySettings& settings, const TrustStore& trust,
                        std::ostream& out) {
    const auto proxy = environmentProxy(settings.inferenceGatewayBaseUrl().host());
    out << (proxy ? translated("cli.check.proxy", {{"address", displayable(proxy->address)},
                                                   {"variable", displayable(proxy->variable)}})
                  : translated("cli.check.no-proxy"))
        << '\n';
    out << translated("cli.check.trust-store",
                      {{"store", displayable(trustStoreDescription(trust))}})
        << '\n';
}

int checkAllModels(const CheckOptions& options) {
    const std::string key = options.form.key();
    try {
        const GatewayForm& form = options.form;
        const Client client = *form.client();
        const GatewaySettings settings(form.address, key, form.auth, form.rows(), client);
        std::stop_source stop;
        const InterruptWatcher interrupt([&stop] { stop.request_stop(); });
        // Under --json, standard output holds the array alone.
        std::ostream& notes = options.asJson ? std::cerr : std::cout;
        const TrustStore trust = trustStoreFromEnvironment();
        if (options.verbose) describeConnection(settings, trust, notes);
        nlohmann::json report = nlohmann::json::array();
        bool allPassed = true;
        // Every model is checked, so that one run shows all that needs fixing.
        for (const auto& model : settings.inferenceModels()) {
            if (options.showRequest) {
                notes << displayable(curlCommand(checkRequest(settings, model, client),
                                                 settings.inferenceGatewayAuthScheme(), trust))
                      << '\n'
                      << std::flush;
            }
            const ModelCheck found =
                checkModel(settings, model, client, stop.get_token(), {}, trust);
            allPassed = allPassed && found.passed;
            if (options.asJson) {
                report.push_back(jsonOf(model, found));
                continue;
            }
            const std::string verdict =
                found.passed ? translated("cli.check.passed") : found.message;
            (found.passed ? std::cout : std::cerr)
                << translated("cli.check.model-line", {{"model", displayable(model.label())},
                                                       {"verdict", displayable(verdict)},
                                                       {"times", checkTimesText(found)}})
                << '\n'
                << std::flush;
            if (!found.detail.empty()) std::cerr << displayable(found.detail) << '\n' << std::flush;
        }
        if (options.asJson) {
            std::cout << displayableJSON(report) << '\n';
        } else if (allPassed) {
            std::cout << translated("cli.check.gateway-passed") << '\n';
        }
        return allPassed ? kExitSuccess : kExitFailed;
    } catch (const OperationCancelled&) {
        std::cerr << translated("cli.check.cancelled") << '\n';
        return kExitInterrupted;
    } catch (const std::exception& error) {
        const FailureReport report = failureReport(error, translated("workflow.check.failed"), key);
        std::cerr << displayable(report.message) << '\n';
        if (!report.detail.empty()) std::cerr << displayable(report.detail) << '\n';
        return kExitFailed;
    }
}

}  // namespace

void addCheckCommand(CLI::App& app, CommandAction& run) {
    auto* command = app.add_subcommand("check", translated("cli.command.check"));
    auto options = std::make_shared<CheckOptions>();
    options->form.addOptions(*command);
    command->add_flag("--json", options->asJson, translated("cli.option.check-json"));
    command->add_flag("--show-request", options->showRequest,
                      translated("cli.option.show-request"));
    command->add_flag("--verbose", options->verbose, translated("cli.option.verbose"));
    command->callback([&run, options] {
        options->form.refuseExtraModels();
        run = [options] { return checkAllModels(*options); };
    });
}

}  // namespace corvane::cli
