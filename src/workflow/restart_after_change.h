#pragma once

#include <filesystem>
#include <string>

#include "apps/application_control.h"
#include "model/client.h"
#include "workflow/workflow_host.h"
#include "workflow/workflow_outcome.h"

namespace corvane {

// Asks whether to restart the application. `needsRestartToApply` is true when
// nothing has been written yet (declining means nothing happens) and false
// when the configuration is already saved (declining defers the restart).
// True when the user chose the first button.
bool confirmRestart(WorkflowHost& host, const std::filesystem::path& application,
                    bool needsRestartToApply);

// What the run changed before the restart; the statuses say which.
enum class ChangeMade { saved, restored };

// Stops the application (and OpenCode's local service), launches it again and
// keeps the host's status line current (for a saved change it also says
// where Codex and WorkBuddy offer the new model). Every failure ends up in the status
// line with the failed flag set (WorkflowOutcome::failed); a stop request
// ends the restart with a status that says the configuration stands and takes
// effect at the next start (WorkflowOutcome::stopped). Never throws.
WorkflowOutcome restartAfterChange(WorkflowHost& host, const ApplicationControl& control,
                                   Client target, const std::filesystem::path& application,
                                   ChangeMade change);

}  // namespace corvane
