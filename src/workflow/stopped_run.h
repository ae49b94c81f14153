#pragma once

#include <string>

#include "workflow/workflow_host.h"
#include "workflow/workflow_outcome.h"

namespace corvane {

// Ends a stopped run: `sentence` becomes the status line, not flagged as a
// failure; the answer is WorkflowOutcome::stopped. A run stopped before it
// wrote anything says so (workflow.stopped.nothing-written,
// workflow.stopped.nothing-restored): the plan-then-commit writes all or
// nothing.
WorkflowOutcome reportStopped(WorkflowHost& host, const std::string& sentence);

}  // namespace corvane
