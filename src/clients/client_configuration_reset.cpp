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

bool ClientConfigurationReset::run(const InstalledApplication& application,
                                   std::stop_token stop) const {
    switch (client_) {
        case Client::codex:
            return resetCodex();
        case Client::openCode:
            return resetOpenCode();
        case Client::openClaw:
            return resetOpenClaw(localClientConfigURL(client_, chosenPath_));
        case Client::workBuddy:
            return resetWorkBuddy(localClientConfigURL(client_, chosenPath_));
        case Client::hermes:
            return resetHermes(localClientConfigURL(client_, chosenPath_), application,
                               knownHermesHostFingerprint(), stop);
        case Client::claude:
        case Client::cursor:
            break;
    }
    return false;
}

}  // namespace corvane
