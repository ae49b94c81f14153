#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/client.h"

namespace corvane {

struct ConfigurationFileStatus {
    std::filesystem::path path;
    bool exists = false;
    // A recovery backup of the tool's lies beside the file.
    bool backup = false;
};

// What one client's files hold of the tool's configuration. Read only: nothing
// is written, stopped, started or converted, and the key is never taken out.
struct ClientConfigurationStatus {
    // Nothing when it cannot be told (a file that cannot be read or parsed,
    // Cursor, which keeps its settings inside the application).
    std::optional<bool> configured;
    // The gateway's base address as the form takes it, when the files show it.
    std::optional<std::string> address;
    std::vector<std::string> models;
    std::vector<ConfigurationFileStatus> files;
};

// `chosenPath` as the writers take it (empty: the client's default path).
ClientConfigurationStatus clientConfigurationStatus(Client client, std::string_view chosenPath);

// One reader per client, each in its client's folder.
ClientConfigurationStatus claudeStatus();
ClientConfigurationStatus codexStatus();
ClientConfigurationStatus openCodeStatus();
ClientConfigurationStatus openClawStatus(std::string_view chosenPath);
ClientConfigurationStatus workBuddyStatus(std::string_view chosenPath);
ClientConfigurationStatus hermesStatus(std::string_view chosenPath);

// Shared by the readers.
ConfigurationFileStatus configurationFileStatus(const std::filesystem::path& path);
// The base address behind an endpoint the tool wrote: `held` without the
// "/v1" (and "/v1/chat/completions") the writers append.
std::string gatewayBaseAddress(std::string_view held);
// The file's JSON object (empty when there is no file); nothing when it cannot
// be read or is not an object.
std::optional<nlohmann::json> readableObject(const std::filesystem::path& path);
// Whether the file holds `marker` in a copy of a member that a later copy
// hides from its readers; false when it cannot be read.
bool hidesToolEntry(const std::filesystem::path& path, std::string_view marker);

}  // namespace corvane
