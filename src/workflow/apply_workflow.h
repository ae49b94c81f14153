#pragma once

#include <optional>
#include <stop_token>

#include "clients/selected_client_configuration.h"
#include "workflow/setup_form.h"
#include "workflow/workflow_host.h"
#include "workflow/workflow_services.h"

namespace corvane {

// Everything the apply task needs, captured when it starts so that later
// edits of the form do not affect it.
struct ApplyPlan {
    SelectedClientConfiguration configuration;
    InstalledApplication application;
};

// The synchronous checks of the main button: installed application, minimum
// system, Cursor, validation, Claude's version. A refusal is reported through
// the host and gives nothing, as does Cursor, whose application is only opened.
std::optional<ApplyPlan> prepareApply(const SetupForm& form, WorkflowHost& host,
                                      const WorkflowServices& services);

// One test request per model, in order, each announced through the host; the
// first failure is thrown.
void checkEveryModel(const ApplyPlan& plan, WorkflowHost& host, const WorkflowServices& services,
                     std::stop_token stop);

// The apply task: one test request per model, the write, the remembered path
// and the restart. Reports through the host; never throws.
WorkflowOutcome runApply(const ApplyPlan& plan, WorkflowHost& host,
                         const WorkflowServices& services, std::stop_token stop);

}  // namespace corvane
