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
    const auto planAt = [&](const std::filesystem::path& configPath) -> std::optional<FilePlan> {
        switch (client_) {
            case Client::openClaw:
                return resetOpenClawPlan(configPath);
            case Client::workBuddy:
                return resetWorkBuddyPlan(configPath);
            case Client::hermes:
                return resetHermesPlan(configPath, application, knownHermesHostFingerprint(), stop);
            default:
                return std::nullopt;
        }
    };
    switch (client_) {
        case Client::codex:
            return resetCodexPlan();
        case Client::openCode:
            return resetOpenCodePlan();
        case Client::openClaw:
        case Client::workBuddy:
        case Client::hermes: {
            const std::filesystem::path chosen = localClientConfigURL(client_, chosenPath_);
            if (auto found = planAt(chosen)) return found;
            // The tool's entries in the default file count too: "nothing to
            // take out" must never stand while a file the tool wrote keeps them.
            const std::filesystem::path fallback = localClientConfigURL(client_, "");
            if (fallback == chosen) return std::nullopt;
            return planAt(fallback);
        }
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
