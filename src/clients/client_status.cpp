#include "clients/client_status.h"

#include <array>
#include <exception>
#include <system_error>

#include "files/config_files.h"
#include "files/hidden_members.h"

namespace corvane {

ClientConfigurationStatus clientConfigurationStatus(Client client, std::string_view chosenPath) {
    switch (client) {
        case Client::claude:
            return claudeStatus();
        case Client::codex:
            return codexStatus();
        case Client::openCode:
            return openCodeStatus();
        case Client::openClaw:
            return openClawStatus(chosenPath);
        case Client::workBuddy:
            return workBuddyStatus(chosenPath);
        case Client::hermes:
            return hermesStatus(chosenPath);
        case Client::cursor:
            return {};
    }
    return {};
}

ConfigurationFileStatus configurationFileStatus(const std::filesystem::path& path) {
    std::error_code ignored;
    return {path, std::filesystem::exists(path, ignored),
            std::filesystem::exists(recoveryBackupURL(path), ignored)};
}

std::string gatewayBaseAddress(std::string_view held) {
    static constexpr std::array<std::string_view, 2> kAppended{"/v1/chat/completions", "/v1"};
    for (std::string_view suffix : kAppended) {
        if (held.ends_with(suffix)) return std::string(held.substr(0, held.size() - suffix.size()));
    }
    return std::string(held);
}

std::optional<nlohmann::json> readableObject(const std::filesystem::path& path) {
    try {
        return jsonObject(configurationData(path));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool hidesToolEntry(const std::filesystem::path& path, std::string_view marker) {
    try {
        const std::optional<EditableJson> document = editableJson(configurationData(path));
        return document && hiddenMemberHolds(*document, marker);
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace corvane
