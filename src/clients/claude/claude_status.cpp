#include <exception>

#include "clients/claude/claude_files.h"
#include "clients/client_status.h"
#include "files/json_members.h"

namespace corvane {

ClientConfigurationStatus claudeStatus() {
    const ClaudeFiles files = ClaudeFiles::inHome();
    ClientConfigurationStatus status;
    for (const auto& path : {files.mode(), files.meta(), files.profile()}) {
        ConfigurationFileStatus file = configurationFileStatus(path);
        // Claude's earlier choice is kept in the tool's recovery record, not
        // in a backup beside each file.
        std::error_code ignored;
        file.backup = std::filesystem::exists(files.recovery(), ignored);
        status.files.push_back(std::move(file));
    }
    try {
        status.configured = files.hasCorvaneConfiguration();
    } catch (const std::exception&) {
        return status;
    }
    const std::optional<nlohmann::json> profile = readableObject(files.profile());
    if (!*status.configured || !profile) return status;
    if (const nlohmann::json* baseUrl = jsonMember(*profile, "inferenceGatewayBaseUrl");
        baseUrl != nullptr && baseUrl->is_string()) {
        status.address = baseUrl->get<std::string>();
    }
    if (const nlohmann::json* models = jsonMember(*profile, "inferenceModels");
        models != nullptr && models->is_array()) {
        for (const auto& model : *models) {
            const nlohmann::json* name = jsonMember(model, "name");
            if (name != nullptr && name->is_string())
                status.models.push_back(name->get<std::string>());
        }
    }
    return status;
}

}  // namespace corvane
