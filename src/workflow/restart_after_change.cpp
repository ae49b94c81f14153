#include "workflow/restart_after_change.h"

#include "model/messages.h"
#include "platform/platform_error.h"
#include "workflow/failure_report.h"
#include "workflow/stopped_run.h"

namespace corvane {
namespace {

// Codex and WorkBuddy show the new models only where the user picks one.
std::string reopened(ChangeMade change, Client target, const Placeholder& application) {
    if (change == ChangeMade::restored) {
        return translated("workflow.restart.restored.reopened", {application});
    }
    if (target == Client::codex) {
        return translated("workflow.restart.saved.reopened-new-chat", {application});
    }
    if (target == Client::workBuddy) {
        return translated("workflow.restart.saved.reopened-pick-model", {application});
    }
    return translated("workflow.restart.saved.reopened", {application});
}

}  // namespace

bool confirmRestart(WorkflowHost& host, const std::filesystem::path& application,
                    bool needsRestartToApply) {
    const std::string name = applicationDisplayName(application);
    Question question;
    question.informativeText = translated("workflow.restart.question.text");
    if (needsRestartToApply) {
        question.messageText =
            translated("workflow.restart.question.apply-title", {{"application", name}});
        question.proceedButton = translated("workflow.button.apply-restart");
        question.declineButton = translated("workflow.question.cancel");
    } else {
        question.messageText =
            translated("workflow.restart.question.now-title", {{"application", name}});
        question.proceedButton = translated("workflow.restart.question.restart-now");
        question.declineButton = translated("workflow.restart.question.restart-later");
    }
    return host.ask(question);
}

WorkflowOutcome restartAfterChange(WorkflowHost& host, const ApplicationControl& control,
                                   Client target, const std::filesystem::path& application,
                                   ChangeMade change) {
    const std::string name = applicationDisplayName(application);
    const Placeholder shown{"application", name};
    const bool saved = change == ChangeMade::saved;
    host.setStatus(saved ? translated("workflow.restart.saved.restarting", {shown})
                         : translated("workflow.restart.restored.restarting", {shown}));
    FailureReport report;
    try {
        control.stopApplication(application);
        if (target == Client::openCode) control.stopOpenCodeService(application);
        control.launchApplication(application);
        host.setStatus(reopened(change, target, shown));
        return WorkflowOutcome::succeeded;
    } catch (const OperationCancelled&) {
        return reportStopped(host, saved
                                       ? translated("workflow.restart.saved.stopped", {shown})
                                       : translated("workflow.restart.restored.stopped", {shown}));
    } catch (const std::exception& error) {
        report = failureReport(error, translated("workflow.open.manually", {shown}), "");
    }
    const Placeholder failure{"failure", report.message};
    host.fail(saved ? translated("workflow.restart.saved.failed", {failure})
                    : translated("workflow.restart.restored.failed", {failure}),
              report.detail);
    return WorkflowOutcome::failed;
}

}  // namespace corvane
