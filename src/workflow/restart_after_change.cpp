#include "workflow/restart_after_change.h"

#include "platform/platform_error.h"
#include "workflow/failure_report.h"
#include "workflow/stopped_run.h"

namespace corvane {

bool confirmRestart(WorkflowHost& host, const std::filesystem::path& application,
                    bool needsRestartToApply) {
    std::string name = applicationDisplayName(application);
    Question question;
    question.messageText =
        needsRestartToApply ? "应用配置并重启 " + name + "？" : "现在重启 " + name + "？";
    question.informativeText = "请先保存该应用中的工作。重启会结束正在运行的任务。";
    question.proceedButton = needsRestartToApply ? "应用并重启" : "立即重启";
    question.declineButton = needsRestartToApply ? "取消" : "稍后重启";
    return host.ask(question);
}

WorkflowOutcome restartAfterChange(WorkflowHost& host, const ApplicationControl& control,
                                   Client target, const std::filesystem::path& application,
                                   const std::string& savedMessage, const std::string& completion) {
    std::string name = applicationDisplayName(application);
    host.setStatus(savedMessage + "，正在重启 " + name + "。");
    FailureReport report;
    try {
        control.stopApplication(application);
        if (target == Client::openCode) control.stopOpenCodeService(application);
        control.launchApplication(application);
        host.setStatus(savedMessage + "，已重新打开 " + name + completion);
        return WorkflowOutcome::succeeded;
    } catch (const OperationCancelled&) {
        return reportStopped(host, savedMessage + "。重启已停止，" + name + " 下次启动时生效。");
    } catch (const std::exception& error) {
        report = failureReport(error, "请手动打开 " + name + "。", "");
    }
    host.fail(savedMessage + "。" + report.message, report.detail);
    return WorkflowOutcome::failed;
}

}  // namespace corvane
