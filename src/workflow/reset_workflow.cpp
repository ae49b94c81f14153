#include "workflow/reset_workflow.h"

#include "clients/client_configuration_reset.h"
#include "model/messages.h"
#include "platform/platform_error.h"
#include "workflow/failure_report.h"
#include "workflow/installed_application.h"
#include "workflow/restart_after_change.h"
#include "workflow/stopped_run.h"

namespace corvane {
namespace {

// WorkBuddy is stopped before its models file changes, so it must run again
// whenever the reset did not get as far as restarting it.
void relaunchWorkBuddy(const ResetPlan& plan, const ApplicationControl& control) {
    if (plan.client != Client::workBuddy || !plan.restart) return;
    try {
        control.launchApplication(*plan.restart);
    } catch (const std::exception&) {
        // The reset's own outcome is what the status line reports.
    }
}

bool resetFiles(const ResetPlan& plan, const WorkflowServices& services,
                const ApplicationControl& control) {
    if (plan.client == Client::claude) {
        return resetClaude(plan.restart, control);
    }
    if (plan.client == Client::workBuddy && plan.restart) control.stopApplication(*plan.restart);
    const InstalledApplication application = describeApplication(
        plan.client, applicationLocation(plan.client, services), control.stopToken());
    return ClientConfigurationReset(plan.client, plan.chosenPath)
        .run(application, control.stopToken());
}

}  // namespace

std::optional<ResetPlan> prepareReset(const SetupForm& form,
                                      const std::optional<std::filesystem::path>& restart,
                                      WorkflowHost& host) {
    if (guidanceOnly(form.client)) return std::nullopt;
    host.setWorking(true);
    host.setFailed(false);
    host.setStatus(translated("workflow.reset.restoring"));
    return ResetPlan{form.client, form.chosenPath, restart};
}

WorkflowOutcome runReset(const ResetPlan& plan, WorkflowHost& host,
                         const WorkflowServices& services, std::stop_token stop) {
    const ApplicationControl control(services.workspace, stop, services.applicationTiming);
    WorkflowOutcome outcome = WorkflowOutcome::succeeded;
    try {
        if (resetFiles(plan, services, control)) {
            host.removeUserDefault(configurationPathKey(plan.client));
            host.resetForm();
            host.setStatus(translated("workflow.reset.restored-after-restart"));
            if (plan.restart) {
                const WorkflowOutcome restart = restartAfterChange(
                    host, control, plan.client, *plan.restart, ChangeMade::restored);
                if (restart == WorkflowOutcome::stopped) outcome = restart;
            }
        } else {
            host.setStatus(translated("workflow.reset.nothing-to-restore"));
            relaunchWorkBuddy(plan, control);
        }
    } catch (const OperationCancelled&) {
        outcome = reportStopped(host, translated("workflow.stopped.nothing-restored"));
        relaunchWorkBuddy(plan, control);
    } catch (const std::exception& error) {
        // A reset knows no key; the files it reads may still hold one, which
        // the report leaves out of what the parsers quote.
        const FailureReport report = failureReport(error, translated("workflow.reset.failed"), "");
        host.fail(report.message, report.detail);
        relaunchWorkBuddy(plan, control);
        outcome = WorkflowOutcome::failed;
    }
    host.setWorking(false);
    return outcome;
}

}  // namespace corvane
