#include <exception>

#include "clients/client_status.h"
#include "clients/workbuddy/workbuddy_writer.h"
#include "files/json_members.h"

namespace corvane {

ClientConfigurationStatus workBuddyStatus(std::string_view chosenPath) {
    const std::filesystem::path configPath = localClientConfigURL(Client::workBuddy, chosenPath);
    ClientConfigurationStatus status;
    status.files = {configurationFileStatus(configPath)};
    std::vector<nlohmann::json> entries;
    try {
        entries = workBuddyModels(configurationData(configPath));
    } catch (const std::exception&) {
        return status;
    }
    status.configured = false;
    for (const auto& entry : entries) {
        if (!isOwnedWorkBuddyModel(entry)) continue;
        status.configured = true;
        const nlohmann::json* url = jsonMember(entry, "url");
        if (!status.address && url != nullptr && url->is_string()) {
            status.address = gatewayBaseAddress(url->get<std::string>());
        }
        const nlohmann::json* name = jsonMember(entry, "name");
        if (name != nullptr && name->is_string()) status.models.push_back(name->get<std::string>());
    }
    return status;
}

}  // namespace corvane
