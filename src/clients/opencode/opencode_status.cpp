#include <algorithm>
#include <iterator>

#include "clients/client_status.h"
#include "clients/opencode/opencode_writer.h"
#include "files/json_members.h"

namespace corvane {
namespace {

constexpr const char* kProviderID = "corvane-desktop";
constexpr const char* kLayouts[] = {"provider", "providers"};

std::optional<std::string> textMember(const nlohmann::json& object, std::string_view key) {
    const nlohmann::json* member = jsonMember(object, key);
    if (member == nullptr || !member->is_string()) return std::nullopt;
    return member->get<std::string>();
}

bool holdsToolProvider(const nlohmann::json& root) {
    return std::any_of(std::begin(kLayouts), std::end(kLayouts), [&](const char* layout) {
        return jsonMember(objectMember(root, layout), kProviderID) != nullptr;
    });
}

}  // namespace

ClientConfigurationStatus openCodeStatus() {
    const OpenCodeConfigPaths paths = openCodeConfigURLs();
    std::error_code ignored;
    // The file that holds the tool's provider, in sight or hidden behind a
    // later copy, else the one the writer picks.
    const bool jsoncFirst = std::filesystem::exists(paths.jsonc, ignored);
    const std::filesystem::path candidates[] = {jsoncFirst ? paths.jsonc : paths.json,
                                                jsoncFirst ? paths.json : paths.jsonc};
    const auto holdsTool = [](const std::filesystem::path& candidate) {
        const std::optional<nlohmann::json> root = readableObject(candidate);
        return (root && holdsToolProvider(*root)) || hidesToolEntry(candidate, kProviderID);
    };
    const auto* found = std::find_if(std::begin(candidates), std::end(candidates), holdsTool);
    const std::filesystem::path configPath = found == std::end(candidates) ? candidates[0] : *found;
    ClientConfigurationStatus status;
    status.files = {configurationFileStatus(configPath)};
    const std::optional<nlohmann::json> root = readableObject(configPath);
    if (!root) return status;
    status.configured = hidesToolEntry(configPath, kProviderID);
    // 1.x keeps "provider" with models keyed by their IDs; other versions
    // "providers" with numbered models that name their IDs.
    for (const char* layout : kLayouts) {
        const nlohmann::json provider = objectMember(objectMember(*root, layout), kProviderID);
        if (provider.empty()) continue;
        status.configured = true;
        const bool single = std::string_view(layout) == "provider";
        const nlohmann::json options = objectMember(provider, single ? "options" : "settings");
        if (const auto baseURL = textMember(options, "baseURL")) {
            status.address = gatewayBaseAddress(*baseURL);
        }
        const nlohmann::json models = objectMember(provider, "models");
        if (single) {
            for (const auto& [id, model] : models.items()) status.models.push_back(id);
        } else {
            // "model-1", "model-2", ... in the form's order.
            for (std::size_t position = 1;; ++position) {
                const auto id = textMember(
                    objectMember(models, "model-" + std::to_string(position)), "modelID");
                if (!id) break;
                status.models.push_back(*id);
            }
        }
        break;
    }
    return status;
}

}  // namespace corvane
