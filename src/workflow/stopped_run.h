#pragma once

#include <string>

#include "workflow/workflow_host.h"
#include "workflow/workflow_outcome.h"

namespace corvane {

// What the status line says about a run the user stopped before it wrote
// anything (the plan-then-commit writes all or nothing).
inline constexpr const char* kStoppedBeforeApply = "已停止。未写入任何配置。";
inline constexpr const char* kStoppedBeforeReset = "已停止。未恢复任何配置。";
inline constexpr const char* kStopped = "已停止。";

// Ends a stopped run: `sentence` becomes the status line, not flagged as a
// failure; the answer is WorkflowOutcome::stopped.
WorkflowOutcome reportStopped(WorkflowHost& host, const std::string& sentence);

}  // namespace corvane
