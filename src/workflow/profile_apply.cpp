#include "workflow/profile_apply.h"

#include <algorithm>

#include "clients/claude/claude_files.h"
#include "files/file_plan.h"
#include "model/messages.h"
#include "model/text.h"
#include "workflow/apply_workflow.h"
#include "workflow/failure_report.h"
#include "workflow/installed_application.h"

namespace corvane {
namespace {

// One client's run inside a profile run: its statuses are kept for its one
// result line, while questions and the user defaults reach the front end.
class ClientLineHost : public WorkflowHost {
public:
    explicit ClientLineHost(WorkflowHost& outer) : outer_(outer) {}

    void setStatus(const std::string& status) override { status_ = status; }
    void setFailed(bool failed) override { failed_ = failed; }
    void fail(const std::string& message, const std::string& detail) override {
        failed_ = true;
        status_ = message;
        detail_ = detail;
    }
    void setWorking(bool) override {}
    void clearKey() override {}
    void resetForm() override {}
    bool ask(const Question& question) override { return outer_.ask(question); }
    std::optional<std::string> userDefault(const std::string& key) override {
        return outer_.userDefault(key);
    }
    void setUserDefault(const std::string& key, const std::string& value) override {
        outer_.setUserDefault(key, value);
    }
    void removeUserDefault(const std::string& key) override { outer_.removeUserDefault(key); }

    void fill(ProfileClientResult& result) const {
        result.line = status_;
        result.detail = detail_;
        if (failed_) result.outcome = ProfileClientResult::Outcome::failed;
    }

private:
    WorkflowHost& outer_;
    std::string status_;
    std::string detail_;
    bool failed_ = false;
};

FilePlan plannedFiles(const ApplyPlan& plan, std::stop_token stop) {
    const SelectedClientConfiguration& configuration = plan.configuration;
    if (configuration.client == Client::claude) {
        return ClaudeFiles::inHome().applyPlan(configuration.settings);
    }
    return configuration.plan(describeApplication(configuration.client, plan.location, stop), stop);
}

bool changesNothing(const FilePlan& files) {
    return std::ranges::all_of(
        files, [](const FileChange& change) { return change.content == change.holding; });
}

ProfileClientResult applyToClient(const GatewayProfile& profile, Client client,
                                  const std::string& key, bool dryRun, WorkflowHost& host,
                                  const WorkflowServices& services, std::stop_token stop,
                                  PassedChecks& passed) {
    ProfileClientResult result;
    result.client = client;
    ClientLineHost lineHost(host);
    SetupForm form;
    form.client = client;
    form.address = profile.address;
    form.key = key;
    form.auth = profile.auth;
    form.rows = profile.rowsFor(client);
    form.chosenPath = host.userDefault(configurationPathKey(client)).value_or("");
    const auto plan = prepareApply(form, lineHost, services);
    if (!plan) {
        lineHost.fill(result);
        return result;
    }
    try {
        const FilePlan files = plannedFiles(*plan, stop);
        if (changesNothing(files)) {
            result.outcome = ProfileClientResult::Outcome::current;
            result.line = translated("workflow.profile.already-current");
            return result;
        }
        if (dryRun) {
            checkEveryModel(*plan, lineHost, services, stop, &passed);
            result.diff = planDiff(files, key);
            result.outcome = ProfileClientResult::Outcome::applied;
            result.line = translated("workflow.preview.changes-to-write");
            return result;
        }
    } catch (const std::exception& error) {
        const FailureReport report = failureReport(error, translated("workflow.apply.failed"), key);
        result.line = report.message;
        result.detail = report.detail;
        return result;
    }
    const WorkflowOutcome outcome = runApply(*plan, lineHost, services, stop, &passed);
    result.outcome = outcome == WorkflowOutcome::succeeded  ? ProfileClientResult::Outcome::applied
                     : outcome == WorkflowOutcome::declined ? ProfileClientResult::Outcome::declined
                                                            : ProfileClientResult::Outcome::failed;
    lineHost.fill(result);
    return result;
}

}  // namespace

std::vector<Client> profileClientsForAll(const WorkflowServices& services) {
    std::vector<Client> clients;
    for (Client client : allClients()) {
        if (guidanceOnly(client)) continue;
        if (services.configOnly) {
            if (client != Client::claude) clients.push_back(client);
        } else if (applicationLocation(client, services) || commandLineProgramPath(client)) {
            clients.push_back(client);
        }
    }
    return clients;
}

void validateProfileRun(const GatewayProfile& profile, const std::vector<Client>& clients,
                        std::string_view key) {
    for (Client client : clients) profile.settingsWithoutKey(client);
    // The key's own rule, once: it is the same for every client.
    if (!clients.empty()) profile.settingsFor(clients.front(), key);
}

std::vector<ProfileClientResult> applyProfile(
    const GatewayProfile& profile, const std::vector<Client>& clients, const std::string& key,
    bool dryRun, WorkflowHost& host, const WorkflowServices& services, std::stop_token stop,
    const std::function<void(const ProfileClientResult&)>& report) {
    PassedChecks passed;
    std::vector<ProfileClientResult> results;
    for (Client client : clients) {
        if (stop.stop_requested()) break;
        ProfileClientResult result =
            applyToClient(profile, client, key, dryRun, host, services, stop, passed);
        if (profile.narrowsToFirstModel(client)) {
            result.line = translated("workflow.profile.first-model-only",
                                     {{"status", result.line},
                                      {"client", clientLabel(client)},
                                      {"model", trimmed(profile.rowsFor(client).front().modelID)}});
        }
        report(result);
        results.push_back(std::move(result));
    }
    return results;
}

}  // namespace corvane
