#include "clients/selected_client_configuration.h"

#include "model/messages.h"
#include "model/setup_error.h"

namespace corvane {

HttpsUrl SelectedClientConfiguration::compatibleURL() const {
    return settings.inferenceGatewayBaseUrl().appendingPathComponents("v1");
}

FilePlan SelectedClientConfiguration::plan(const InstalledApplication& application,
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
