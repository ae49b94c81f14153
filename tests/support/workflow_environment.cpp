#include "support/workflow_environment.h"

#include <cstdlib>

namespace corvane::testing {

using namespace std::chrono_literals;

GatewayReply passingReply(Client client) {
    GatewayReply reply;
    switch (client) {
        case Client::claude:
            reply.chunks = {
                {"event: message_start\ndata: {}\n\nevent: message_stop\ndata: {}\n\n"}};
            break;
        case Client::codex:
            reply.chunks = {
                {"data: {\"type\":\"response.created\"}\n\n"
                 "data: {\"type\":\"response.completed\"}\n\n"}};
            break;
        default:
            reply.chunks = {{"data: {\"choices\":[]}\n\ndata: [DONE]\n\n"}};
            break;
    }
    return reply;
}

GatewayReply failingReply(int status) {
    GatewayReply reply;
    reply.status = status;
    reply.contentType = "application/json";
    reply.chunks = {{R"({"error":{"message":"nope"}})"}};
    return reply;
}

WorkflowEnvironment::WorkflowEnvironment()
    : workspace(home.path() / "System"), services(workspace) {
    home.setEnvironment("SSL_CERT_FILE", gateway.caFile().string());
    home.setEnvironment("SSL_CERT_DIR", std::nullopt);
    home.setEnvironment("no_proxy", "127.0.0.1,localhost");
    home.setEnvironment("NO_PROXY", "127.0.0.1,localhost");
    services.systemApplications = home.path() / "System";
    services.managedPreferences = home.path() / "Managed Preferences";
    services.applicationTiming = {10ms, 100};
    services.claudeTiming = {20ms, 150, 10ms, 300};
    services.checkLimits = {5000ms, 10000ms};
}

WorkflowEnvironment::~WorkflowEnvironment() {
    for (const auto& bundle : bundles_) killBundleProcesses(bundle);
}

std::filesystem::path WorkflowEnvironment::install(const std::string& name,
                                                   FakeBundleOptions options) {
    if (!options.behaviour.log) options.behaviour.log = log();
    bundles_.push_back(makeFakeBundle(home.path() / "Applications", name, options));
    return bundles_.back();
}

std::filesystem::path WorkflowEnvironment::installHermes() {
    FakeBundleOptions options;
    options.bundleIdentifier = "com.nousresearch.hermes-bundled";
    options.extraFiles["Contents/Resources/agent-payload/venv/bin/python3"] = {
        "#!/bin/sh\nexec /usr/bin/python3 \"$@\"\n", true};
    return install("Hermes", options);
}

std::filesystem::path WorkflowEnvironment::installDesktopEntry(const std::string& id,
                                                               const std::string& name) {
    FakeBundleOptions options;
    options.behaviour.log = log();
    bundles_.push_back(makeFakeBundle(home.path() / "opt", name, options));
    const auto program = bundles_.back() / "Contents" / "MacOS" / "fake-app";
    const auto entry = home.path() / ".local/share/applications" / id;
    writeFile(entry, desktopEntryText(name, "\"" + program.string() + "\" %U"));
    return entry;
}

void WorkflowEnvironment::launch(const std::filesystem::path& bundle) {
    const std::size_t before = events().size();
    workspace.openApplication(bundle, {});
    waitUntil([&] { return events().size() > before; });
}

std::vector<std::string> WorkflowEnvironment::events() const {
    std::vector<std::string> words;
    for (const std::string& line : logLines(log())) words.push_back(line.substr(0, line.find(' ')));
    return words;
}

SetupForm WorkflowEnvironment::form(Client client, std::vector<ModelRow> rows) const {
    SetupForm form;
    form.client = client;
    form.address = gateway.address() + "/api";
    form.key = kWorkflowKey;
    form.auth = "bearer";
    form.rows = rows.empty()
                    ? std::vector{ModelRow(client == Client::claude ? "claude-a" : "model-a", "")}
                    : std::move(rows);
    return form;
}

std::string desktopEntryText(const std::string& name, const std::string& exec,
                             const std::string& lines) {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n" + lines;
}

std::filesystem::path installProgram(TempHome& home, const std::string& name) {
    const auto program = home.path() / "bin" / name;
    writeFile(program, "#!/bin/sh\necho " + name + " 1.2.3\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    const char* path = std::getenv("PATH");
    const std::string folder = program.parent_path().string();
    if (!path || std::string(path).rfind(folder, 0) != 0) {
        home.setEnvironment("PATH", folder + (path ? ":" + std::string(path) : ""));
    }
    return program;
}

SetupForm blankForm(Client client) {
    SetupForm form;
    form.client = client;
    return form;
}

}  // namespace corvane::testing
