#include "workflow/stopped_run.h"

namespace corvane {

WorkflowOutcome reportStopped(WorkflowHost& host, const std::string& sentence) {
    host.setFailed(false);
    host.setStatus(sentence);
    return WorkflowOutcome::stopped;
}

}  // namespace corvane
