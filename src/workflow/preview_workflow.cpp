#include "workflow/preview_workflow.h"

#include <exception>

#include "clients/claude/claude_files.h"
#include "clients/client_configuration_reset.h"
#include "files/file_plan.h"
#include "model/messages.h"
#include "platform/platform_error.h"
#include "workflow/failure_report.h"
#include "workflow/installed_application.h"
#include "workflow/stopped_run.h"

namespace corvane {
namespace {

// Runs `diff` and reports its failure as the real run would.
template <typename Diff>
std::optional<std::string> previewed(WorkflowHost& host, const std::string& fallback,
                                     std::string_view key, Diff diff) {
    std::optional<std::string> result;
    try {
        result = diff();
    } catch (const OperationCancelled&) {
        reportStopped(host, translated("workflow.stopped.plain"));
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
    return previewed(host, translated("workflow.apply.failed"), key, [&] {
        checkEveryModel(plan, host, services, stop);
        const SelectedClientConfiguration& configuration = plan.configuration;
        const FilePlan files =
            configuration.client == Client::claude
                ? ClaudeFiles::inHome().applyPlan(configuration.settings)
                : configuration.plan(describeApplication(configuration.client, plan.location, stop),
                                     stop);
        std::string diff = planDiff(files, configuration.settings.inferenceGatewayApiKey());
        host.setStatus(diff.empty() ? translated("workflow.preview.up-to-date")
                                    : translated("workflow.preview.changes-to-write"));
        return diff;
    });
}

std::optional<std::string> previewReset(const ResetPlan& plan, WorkflowHost& host,
                                        const WorkflowServices& services, std::stop_token stop) {
    return previewed(host, translated("workflow.reset.failed"), "", [&] {
        std::optional<FilePlan> files;
        if (plan.client == Client::claude) {
            files = ClaudeFiles::inHome().resetPlan();
        } else {
            const InstalledApplication application =
                describeApplication(plan.client, applicationLocation(plan.client, services), stop);
            files = ClientConfigurationReset(plan.client, plan.chosenPath).plan(application, stop);
        }
        if (!files) {
            host.setStatus(translated("workflow.reset.nothing-to-restore"));
            return std::string();
        }
        host.setStatus(translated("workflow.preview.changes-to-restore"));
        return planDiff(*files, "");
    });
}

}  // namespace corvane
