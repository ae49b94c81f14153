#include "clients/selected_client_configuration.h"

#include "clients/client_configuration_reset.h"
#include "files/config_files.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "platform/platform_error.h"

namespace corvane {

HttpsUrl SelectedClientConfiguration::compatibleURL() const {
    return settings.inferenceGatewayBaseUrl().appendingPathComponents("v1");
}

namespace {

// A file the user put back or replaced by hand holds nothing of the tool's,
// but a backup from the write that has since gone may still sit beside it: a
// reset would bring that write's stale values back, or delete the file. Such
// a save takes a new backup. Only files that still hold the bytes the writer
// read count, so the reset looked at the same file; a reset that cannot read
// the files leaves the backups as they are.
void renewStaleBackups(FilePlan& changes, const ClientConfigurationReset& reset,
                       const InstalledApplication& application, std::stop_token stop) {
    try {
        if (reset.plan(application, std::move(stop))) return;
    } catch (const OperationCancelled&) {
        throw;
    } catch (const std::exception&) {
        // A backup it cannot parse, say: the save keeps what is there.
        return;
    }
    for (FileChange& change : changes) {
        if (change.kind == FileChange::Kind::configuration &&
            configurationData(change.path) == change.holding) {
            change.backup = RecoveryBackup::renew;
        }
    }
}

}  // namespace

FilePlan SelectedClientConfiguration::plan(const InstalledApplication& application,
                                           std::stop_token stop) const {
    FilePlan changes = writerPlan(application, stop);
    renewStaleBackups(changes, ClientConfigurationReset(client, chosenPath), application,
                      std::move(stop));
    return changes;
}

FilePlan SelectedClientConfiguration::writerPlan(const InstalledApplication& application,
                                                 std::stop_token stop) const {
    switch (client) {
        case Client::codex:
            return planCodex();
        case Client::openCode:
            return planOpenCode(application);
        case Client::openClaw:
            return planOpenClaw();
        case Client::workBuddy:
            return planWorkBuddy();
        case Client::hermes:
            return planHermes(application, stop);
        case Client::claude:
        case Client::cursor:
            break;
    }
    throw SetupError(translated("clients.finish-in-app"));
}

void SelectedClientConfiguration::save(const InstalledApplication& application,
                                       std::stop_token stop) const {
    commitPlan(plan(application, stop));
}

}  // namespace corvane
