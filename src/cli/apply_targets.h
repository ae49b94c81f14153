#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "cli/gateway_form.h"
#include "cli/terminal_host.h"
#include "workflow/workflow_services.h"

namespace corvane::cli {

// Whom `apply` configures: one client from the form's options, or, with
// --profile, every client named (repeatable --client, "all" for every one
// that is installed) from a team's profile.
struct ApplyTargets {
    std::string profile;
    std::vector<std::string> clients;

    // --client and --profile; a profile excludes the form's own options.
    void addOptions(CLI::App& command);

    bool fromProfile() const { return !profile.empty(); }

    // Without a profile: the form's one client, and its address and models,
    // are required. Throws CLI errors otherwise.
    std::string formClient(const CLI::App& command) const;
};

// Applies the profile to the named clients: one line per client, a restart
// question per client that needs one. A faulty profile, or a key the form
// would refuse, ends the run with exit 2 before anything is read or checked.
// The exit status is 0 only when every client succeeded.
int runProfileApply(const ApplyTargets& targets, const GatewayForm& keySource, RestartAnswer answer,
                    bool dryRun, const WorkflowServices& services);

}  // namespace corvane::cli
