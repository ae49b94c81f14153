#include "clients/client_status.h"
#include "files/config_files.h"
#include "files/json_members.h"

namespace corvane {

ClientConfigurationStatus openClawStatus(std::string_view chosenPath) {
    const std::filesystem::path configPath = localClientConfigURL(Client::openClaw, chosenPath);
    ClientConfigurationStatus status;
    status.files = {configurationFileStatus(configPath)};
    const std::optional<nlohmann::json> root = readableObject(configPath);
    if (!root) return status;
    const nlohmann::json provider =
        objectMember(objectMember(objectMember(*root, "models"), "providers"), "corvane-desktop");
    status.configured = !provider.empty() || hidesToolEntry(configPath, "corvane-desktop");
    if (const nlohmann::json* baseUrl = jsonMember(provider, "baseUrl");
        baseUrl != nullptr && baseUrl->is_string()) {
        status.address = gatewayBaseAddress(baseUrl->get<std::string>());
    }
    if (const nlohmann::json* models = jsonMember(provider, "models");
        models != nullptr && models->is_array()) {
        for (const auto& model : *models) {
            const nlohmann::json* id = jsonMember(model, "id");
            if (id != nullptr && id->is_string()) status.models.push_back(id->get<std::string>());
        }
    }
    return status;
}

}  // namespace corvane
