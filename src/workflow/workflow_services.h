#pragma once

#include <filesystem>
#include <optional>

#include "apps/application_control.h"
#include "check/check_gateway.h"
#include "clients/claude/claude_workflows.h"
#include "platform/workspace.h"
#include "workflow/workflow_outcome.h"

namespace corvane {

// What the workflows take from their surroundings: the platform, where to look
// for applications, and the waits' limits (tests shorten them).
struct WorkflowServices {
    explicit WorkflowServices(Workspace& workspace) : workspace(workspace) {}

    Workspace& workspace;
    std::filesystem::path systemApplications = "/Applications";
    std::filesystem::path managedPreferences = "/Library/Managed Preferences";

    // Names the application bundle instead of looking it up.
    std::optional<std::filesystem::path> application;

    // Writes the configuration files only: no installed-application check, no
    // minimum-system test, no restart. For the command-line versions of the
    // clients.
    bool configOnly = false;

    ApplicationTiming applicationTiming;
    ClaudeTiming claudeTiming;
    CheckLimits checkLimits;
};

}  // namespace corvane
