#pragma once

#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>

#include "workflow/setup_form.h"
#include "workflow/workflow_host.h"
#include "workflow/workflow_services.h"

namespace corvane {

// What the reset task captures when it starts.
struct ResetPlan {
    Client client;
    std::string chosenPath;
    // The application to restart afterwards; nothing to leave it alone.
    std::optional<std::filesystem::path> restart;
};

// The synchronous part of the reset button: Cursor has nothing to reset.
// Otherwise marks the run as working and gives the plan.
std::optional<ResetPlan> prepareReset(const SetupForm& form,
                                      const std::optional<std::filesystem::path>& restart,
                                      WorkflowHost& host);

// The reset task: takes the tool's entries out, forgets the remembered path,
// clears the form and restarts the client when asked. Never throws.
WorkflowOutcome runReset(const ResetPlan& plan, WorkflowHost& host,
                         const WorkflowServices& services, std::stop_token stop);

}  // namespace corvane
