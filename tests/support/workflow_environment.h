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
#include "support/test_keys.h"
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
    // A desktop entry `id` in the data home whose program is the fake
    // application, in a bundle under the home's "opt" folder where the bundle
    // search does not look. Gives the entry's path.
    std::filesystem::path installDesktopEntry(const std::string& id, const std::string& name);
    // Starts the application (bundle or desktop entry) and waits for its
    // "start" line.
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

// A desktop entry that runs `exec`, with `lines` added to its group.
std::string desktopEntryText(const std::string& name, const std::string& exec,
                             const std::string& lines = "");

// An executable script `name` in home/bin that prints "<name> 1.2.3"; home/bin
// comes first on PATH until the home is gone.
std::filesystem::path installProgram(TempHome& home, const std::string& name);

// An empty form for `client`.
SetupForm blankForm(Client client);

}  // namespace corvane::testing
