#include "recording_actions.h"

namespace corvane::testing {

bool RecordingActions::submit(const SetupForm& form) {
    submitted.push_back(form);
    return true;
}

bool RecordingActions::resetConfiguration(const SetupForm&,
                                          const std::optional<std::filesystem::path>& restart) {
    resets.push_back(restart);
    return true;
}

bool RecordingActions::fetchGatewayModels(const SetupForm& form) {
    fetched.push_back(form);
    return true;
}

bool RecordingActions::testConnection(const SetupForm& form) {
    tested.push_back(form);
    return true;
}

bool RecordingActions::previewSubmit(const SetupForm& form) {
    previewed.push_back(form);
    return true;
}

ClientConfigurationStatus RecordingActions::configurationStatus(Client client, const std::string&) {
    const auto found = statuses.find(client);
    return found == statuses.end() ? ClientConfigurationStatus() : found->second;
}

std::optional<std::filesystem::path> RecordingActions::installedApplication(Client client) {
    installedAskedFor.push_back(client);
    return installed;
}

Installation RecordingActions::installation(Client client) {
    const auto found = installations.find(client);
    return found == installations.end() ? Installation::application : found->second;
}

}  // namespace corvane::testing
