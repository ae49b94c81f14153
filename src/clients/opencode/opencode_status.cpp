#include "clients/client_status.h"
#include "clients/opencode/opencode_writer.h"
#include "files/json_members.h"

namespace corvane {
namespace {

std::optional<std::string> textMember(const nlohmann::json& object, std::string_view key) {
    const nlohmann::json* member = jsonMember(object, key);
    if (member == nullptr || !member->is_string()) return std::nullopt;
    return member->get<std::string>();
}

}  // namespace

ClientConfigurationStatus openCodeStatus() {
    const OpenCodeConfigURLs urls = openCodeConfigURLs();
    std::error_code ignored;
    // The same file the writer picks.
    const std::filesystem::path url =
        std::filesystem::exists(urls.jsonc, ignored) ? urls.jsonc : urls.json;
    ClientConfigurationStatus status;
    status.files = {configurationFileStatus(url)};
    const std::optional<nlohmann::json> root = readableObject(url);
    if (!root) return status;
    status.configured = false;
    // 1.x keeps "provider" with models keyed by their IDs; other versions
    // "providers" with numbered models that name their IDs.
    for (const char* layout : {"provider", "providers"}) {
        const nlohmann::json provider =
            objectMember(objectMember(*root, layout), "corvane-desktop");
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
