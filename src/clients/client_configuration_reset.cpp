#include "clients/client_configuration_reset.h"

#include <utility>

#include "clients/codex/codex_reset.h"
#include "clients/hermes/hermes_reset.h"
#include "clients/openclaw/openclaw_reset.h"
#include "clients/opencode/opencode_reset.h"
#include "clients/workbuddy/workbuddy_reset.h"
#include "files/config_files.h"

namespace corvane {

ClientConfigurationReset::ClientConfigurationReset(Client client, std::string chosenPath)
    : client_(client), chosenPath_(std::move(chosenPath)) {}

std::optional<FilePlan> ClientConfigurationReset::plan(const InstalledApplication& application,
                                                       std::stop_token stop) const {
    switch (client_) {
        case Client::codex:
            return resetCodexPlan();
        case Client::openCode:
            return resetOpenCodePlan();
        case Client::openClaw:
            return resetOpenClawPlan(localClientConfigURL(client_, chosenPath_));
        case Client::workBuddy:
            return resetWorkBuddyPlan(localClientConfigURL(client_, chosenPath_));
        case Client::hermes:
            return resetHermesPlan(localClientConfigURL(client_, chosenPath_), application,
                                   knownHermesHostFingerprint(), stop);
        case Client::claude:
        case Client::cursor:
            break;
    }
    return std::nullopt;
}

bool ClientConfigurationReset::run(const InstalledApplication& application,
                                   std::stop_token stop) const {
    return commitPlanIfAny(plan(application, stop));
}

}  // namespace corvane
