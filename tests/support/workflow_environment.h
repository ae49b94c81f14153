#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "model/client.h"
#include "model/gateway_settings.h"
#include "platform/posix/posix_workspace.h"
#include "support/fake_bundle.h"
#include "support/temp_home.h"
#include "support/test_gateway.h"
#include "workflow/setup_form.h"
#include "workflow/workflow_services.h"

namespace corvane::testing {

// A successful test stream in the client's wire protocol.
GatewayReply passingReply(Client client);

// A refusal with an HTTP status and a JSON body.
GatewayReply failingReply(int status);

// Everything a workflow run needs in a test: a temporary home, the local HTTPS
// gateway trusted through SSL_CERT_FILE, a workspace that looks for
// applications only inside the home, and short waits. Fake bundles made here
// log to one file and are killed on destruction.
class WorkflowEnvironment {
public:
    WorkflowEnvironment();
    ~WorkflowEnvironment();
    WorkflowEnvironment(const WorkflowEnvironment&) = delete;
    WorkflowEnvironment& operator=(const WorkflowEnvironment&) = delete;

    // Name.app in the home's Applications folder.
    std::filesystem::path install(const std::string& name, FakeBundleOptions options = {});
    // Hermes.app whose converter is Debian's python3 with PyYAML.
    std::filesystem::path installHermes();
    // Starts the application and waits for its "start" line.
    void launch(const std::filesystem::path& bundle);

    // The log's words without process ids, e.g. {"start", "term", "start"}.
    std::vector<std::string> events() const;
    std::filesystem::path log() const { return home.path() / "events.log"; }

    // The form for `client` pointed at the gateway ("<address>/api"); without
    // rows, one model "model-a" ("claude-a" for Claude desktop).
    SetupForm form(Client client, std::vector<ModelRow> rows = {}) const;

    TempHome home;
    TestGateway gateway;
    PosixWorkspace workspace;
    WorkflowServices services;

private:
    std::vector<std::filesystem::path> bundles_;
};

// An empty form for `client`.
SetupForm blankForm(Client client);

inline constexpr const char* kWorkflowKey = "sk-workflow-5c1d0e77";

}  // namespace corvane::testing
