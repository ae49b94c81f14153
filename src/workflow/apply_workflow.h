#pragma once

#include <optional>
#include <set>
#include <stop_token>
#include <string>

#include "clients/selected_client_configuration.h"
#include "workflow/setup_form.h"
#include "workflow/workflow_host.h"
#include "workflow/workflow_services.h"

namespace corvane {

// Everything the apply task needs, captured when it starts so that later
// edits of the form do not affect it.
struct ApplyPlan {
    SelectedClientConfiguration configuration;
    // The application to restart (bundle or desktop entry); nothing when the
    // run only writes files.
    std::optional<std::filesystem::path> location;
    // The client's command-line program, when it was found only as that.
    std::optional<std::filesystem::path> commandLine;
};

// The synchronous checks of the main button: installed application (or, for
// a client that has one, its command-line program), minimum system,
// validation, Claude's version. A refusal is reported through the host and
// gives nothing; Cursor is always refused (see prepareOpenForSetup).
std::optional<ApplyPlan> prepareApply(const SetupForm& form, WorkflowHost& host,
                                      const WorkflowServices& services);

// Cursor's main button only opens its application, where the user finishes the
// setup. The same installed and minimum-system checks as prepareApply; gives
// the application to open, or nothing when refused.
std::optional<std::filesystem::path> prepareOpenForSetup(Client client, WorkflowHost& host,
                                                         const WorkflowServices& services);

// Opens the application on the worker, since the system may take its time to
// answer; a refusal becomes workflow.open.manually. Never throws.
WorkflowOutcome runOpenForSetup(const std::filesystem::path& location, WorkflowHost& host,
                                const WorkflowServices& services, std::stop_token stop);

// The test requests that passed during one run over several clients, so that
// clients sending the same request (same protocol, address and model) check
// it once.
using PassedChecks = std::set<std::string>;

// One test request per model, in order, each announced through the host; the
// first failure is thrown. A request found in `passed` is not sent again; one
// that passes is added to it.
void checkEveryModel(const ApplyPlan& plan, WorkflowHost& host, const WorkflowServices& services,
                     std::stop_token stop, PassedChecks* passed = nullptr);

// The apply task: one test request per model, the write, the remembered path
// and the restart. Reports through the host; never throws.
WorkflowOutcome runApply(const ApplyPlan& plan, WorkflowHost& host,
                         const WorkflowServices& services, std::stop_token stop,
                         PassedChecks* passed = nullptr);

}  // namespace corvane
