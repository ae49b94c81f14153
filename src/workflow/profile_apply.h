#pragma once

#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "model/client.h"
#include "workflow/gateway_profile.h"
#include "workflow/workflow_host.h"
#include "workflow/workflow_services.h"

namespace corvane {

// How a profile run ended for one client, and the line that says so.
struct ProfileClientResult {
    enum class Outcome { applied, current, declined, failed };

    Client client = Client::claude;
    Outcome outcome = Outcome::failed;
    // The client's last status or its failure sentence;
    // workflow.profile.already-current when nothing had to change.
    std::string line;
    // A failure's path and system reason, possibly empty.
    std::string detail;
    // A dry run's diff of the client's files (key redacted); empty otherwise.
    std::string diff;
};

// What "all" means for a profile run: every client that is installed (as an
// application or a command-line program), Cursor aside; with `configOnly`
// every client whose files the tool writes without its application, Claude
// and Cursor aside.
std::vector<Client> profileClientsForAll(const WorkflowServices& services);

// Validates the profile for every client with `key` before anything else
// happens; throws the first SetupError (naming client and member), in which
// case nothing was read, checked or written.
void validateProfileRun(const GatewayProfile& profile, const std::vector<Client>& clients,
                        std::string_view key);

// Applies the profile to each client in turn, as the main button would with
// the form filled from the profile and the client's remembered path. A client
// whose files already hold exactly what the profile asks for is not written,
// checked or restarted. A test request is sent once per distinct request
// over all clients. Restart questions go to `host`, one per client that needs
// one; statuses stay in the result. `report` is called as each client ends.
// With `dryRun` nothing is written, stopped or started: each result carries
// its diff. Validate with validateProfileRun first.
std::vector<ProfileClientResult> applyProfile(
    const GatewayProfile& profile, const std::vector<Client>& clients, const std::string& key,
    bool dryRun, WorkflowHost& host, const WorkflowServices& services, std::stop_token stop,
    const std::function<void(const ProfileClientResult&)>& report);

}  // namespace corvane
