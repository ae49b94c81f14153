#include "reset/client_configuration_reset.h"

#include <stdexcept>
#include <utility>

#include "reset/codex_reset.h"
#include "reset/hermes_reset.h"
#include "reset/openclaw_reset.h"
#include "reset/opencode_reset.h"
#include "reset/workbuddy_reset.h"
#include "writers/config_files.h"

namespace corvane {

ClientConfigurationReset::ClientConfigurationReset(Client client, std::string chosenPath)
    : client_(client), chosenPath_(std::move(chosenPath)) {}

bool ClientConfigurationReset::run(const InstalledApplication& application) const {
    switch (client_) {
        case Client::openCode:
            return resetOpenCode();
        case Client::openClaw:
            return resetOpenClaw(localClientConfigURL(client_, chosenPath_));
        case Client::workBuddy:
            return resetWorkBuddy(localClientConfigURL(client_, chosenPath_));
        case Client::hermes:
            return resetHermes(localClientConfigURL(Client::hermes, chosenPath_), application);
        case Client::claude:
        case Client::cursor:
            return false;
        case Client::codex:
            return resetCodex();
        default:
            throw std::logic_error("reset not built yet");
    }
}

}  // namespace corvane
