#include <iostream>
#include <stop_token>

#include "check/check_gateway.h"
#include "cli/commands.h"
#include "cli/gateway_form.h"
#include "cli/interrupt_watcher.h"
#include "platform/platform_error.h"
#include "workflow/failure_report.h"

namespace corvane::cli {

namespace {

int checkAllModels(const GatewayForm& form) {
    const std::string key = form.key();
    try {
        const Client client = *form.client();
        const GatewaySettings settings(form.address, key, form.auth, form.rows(), client);
        std::stop_source stop;
        const InterruptWatcher interrupt([&stop] { stop.request_stop(); });
        const auto& models = settings.inferenceModels();
        for (std::size_t index = 0; index < models.size(); ++index) {
            std::cout << "验证模型 " << index + 1 << " / " << models.size() << '\n' << std::flush;
            checkGateway(settings, models[index], client, stop.get_token());
        }
        std::cout << "网关验证通过。" << '\n';
        return kExitSuccess;
    } catch (const OperationCancelled&) {
        std::cerr << "验证已取消。" << '\n';
        return kExitInterrupted;
    } catch (const std::exception& error) {
        const FailureReport report = failureReport(error, "网关验证失败。请稍后重试。", key);
        std::cerr << report.message << '\n';
        if (!report.detail.empty()) std::cerr << report.detail << '\n';
        return kExitFailed;
    }
}

}  // namespace

void addCheckCommand(CLI::App& app, CommandAction& run) {
    auto* command =
        app.add_subcommand("check", "validate the form and stream one test request per model");
    auto form = std::make_shared<GatewayForm>();
    form->addOptions(*command);
    command->callback([&run, form] { run = [form] { return checkAllModels(*form); }; });
}

}  // namespace corvane::cli
