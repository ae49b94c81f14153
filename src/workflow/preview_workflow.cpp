#include "workflow/preview_workflow.h"

#include <exception>

#include "clients/claude/claude_files.h"
#include "clients/client_configuration_reset.h"
#include "files/file_plan.h"
#include "platform/platform_error.h"
#include "workflow/failure_report.h"
#include "workflow/installed_application.h"
#include "workflow/stopped_run.h"

namespace corvane {
namespace {

// Runs `diff` and reports its failure as the real run would.
template <typename Diff>
std::optional<std::string> previewed(WorkflowHost& host, const char* fallback, std::string_view key,
                                     Diff diff) {
    std::optional<std::string> result;
    try {
        result = diff();
    } catch (const OperationCancelled&) {
        reportStopped(host, kStopped);
    } catch (const std::exception& error) {
        const FailureReport report = failureReport(error, fallback, key);
        host.fail(report.message, report.detail);
    }
    host.setWorking(false);
    return result;
}

}  // namespace

std::optional<std::string> previewApply(const ApplyPlan& plan, WorkflowHost& host,
                                        const WorkflowServices& services, std::stop_token stop) {
    const std::string& key = plan.configuration.settings.inferenceGatewayApiKey();
    return previewed(host, "应用配置失败。请检查配置后重试。", key, [&] {
        checkEveryModel(plan, host, services, stop);
        const SelectedClientConfiguration& configuration = plan.configuration;
        const FilePlan files =
            configuration.client == Client::claude
                ? ClaudeFiles::inHome().applyPlan(configuration.settings)
                : configuration.plan(describeApplication(configuration.client, plan.location, stop),
                                     stop);
        std::string diff = planDiff(files, configuration.settings.inferenceGatewayApiKey());
        host.setStatus(diff.empty() ? "配置已是最新，没有需要写入的更改。"
                                    : "以下为将要写入的更改，尚未写入。");
        return diff;
    });
}

std::optional<std::string> previewReset(const ResetPlan& plan, WorkflowHost& host,
                                        const WorkflowServices& services, std::stop_token stop) {
    return previewed(host, "恢复失败。请检查配置后重试。", "", [&] {
        std::optional<FilePlan> files;
        if (plan.client == Client::claude) {
            files = ClaudeFiles::inHome().resetPlan();
        } else {
            const InstalledApplication application =
                describeApplication(plan.client, applicationLocation(plan.client, services), stop);
            files = ClientConfigurationReset(plan.client, plan.chosenPath).plan(application, stop);
        }
        if (!files) {
            host.setStatus("此应用没有本工具写入的网关配置。");
            return std::string();
        }
        host.setStatus("以下为将要恢复的更改，尚未写入。");
        return planDiff(*files, "");
    });
}

}  // namespace corvane
