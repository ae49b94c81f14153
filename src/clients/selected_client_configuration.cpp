#include "clients/selected_client_configuration.h"

#include "model/setup_error.h"

namespace corvane {

HttpsUrl SelectedClientConfiguration::compatibleURL() const {
    return settings.inferenceGatewayBaseUrl().appendingPathComponents("v1");
}

void SelectedClientConfiguration::save(const InstalledApplication& application,
                                       std::stop_token stop) const {
    switch (client) {
        case Client::codex:
            return saveCodex();
        case Client::openCode:
            return saveOpenCode(application);
        case Client::openClaw:
            return saveOpenClaw();
        case Client::workBuddy:
            return saveWorkBuddy();
        case Client::hermes:
            return saveHermes(application, stop);
        case Client::claude:
        case Client::cursor:
            break;
    }
    throw SetupError("请在选定的应用中完成设置。");
}

}  // namespace corvane
