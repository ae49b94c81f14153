#pragma once

#include <optional>
#include <stop_token>
#include <string>

#include "workflow/apply_workflow.h"
#include "workflow/reset_workflow.h"

namespace corvane {

// Dry runs of the two buttons: everything up to writing (for apply, the test
// request per model), then the unified diff of every file that would change,
// with the key redacted. Nothing is written, stopped or started, and no
// question is asked. Statuses and failures reach the host as in a real run;
// the diff is nothing when the run failed and empty when nothing would change.
std::optional<std::string> previewApply(const ApplyPlan& plan, WorkflowHost& host,
                                        const WorkflowServices& services, std::stop_token stop);
std::optional<std::string> previewReset(const ResetPlan& plan, WorkflowHost& host,
                                        const WorkflowServices& services, std::stop_token stop);

}  // namespace corvane
