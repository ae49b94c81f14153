#include <exception>

#include "clients/client_status.h"
#include "clients/codex/codex_config_document.h"
#include "clients/codex/codex_files.h"
#include "files/config_files.h"
#include "files/json5.h"
#include "files/json_members.h"

namespace corvane {
namespace {

// The text of a TOML string value as the writer spells it (a basic string in
// JSON's escapes), or of a literal string; anything else as it stands.
std::string tomlText(std::string_view value) {
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'') {
        return std::string(value.substr(1, value.size() - 2));
    }
    try {
        const nlohmann::json text = parseJson5(value);
        if (text.is_string()) return text.get<std::string>();
    } catch (const std::exception&) {
    }
    return std::string(value);
}

std::vector<std::string> catalogModels(const std::filesystem::path& catalog) {
    std::vector<std::string> models;
    const std::optional<nlohmann::json> object = readableObject(catalog);
    const nlohmann::json* list = object ? jsonMember(*object, "models") : nullptr;
    if (list == nullptr || !list->is_array()) return models;
    for (const auto& entry : *list) {
        const nlohmann::json* slug = jsonMember(entry, "slug");
        if (slug != nullptr && slug->is_string()) models.push_back(slug->get<std::string>());
    }
    return models;
}

}  // namespace

ClientConfigurationStatus codexStatus() {
    const std::filesystem::path config = codexConfigURL();
    const std::filesystem::path catalog = codexModelCatalogURL();
    ClientConfigurationStatus status;
    status.files = {configurationFileStatus(config), configurationFileStatus(catalog)};
    std::optional<Bytes> text;
    try {
        text = configurationData(config);
    } catch (const std::exception&) {
        return status;
    }
    const CodexConfigDocument document(text.value_or(""));
    status.configured = document.hasOwnedProvider() || document.selectsOwnedProvider();
    if (!*status.configured) return status;
    for (const auto& section : document.sections) {
        if (!CodexConfigDocument::isOwnedHeader(section.front())) continue;
        for (const auto& entry : section) {
            if (const auto baseUrl = CodexConfigDocument::rootValue(entry, "base_url")) {
                status.address = gatewayBaseAddress(tomlText(*baseUrl));
            }
        }
    }
    if (document.selectsOwnedCatalog()) status.models = catalogModels(catalog);
    if (status.models.empty()) {
        for (const auto& entry : document.root) {
            if (const auto model = CodexConfigDocument::rootValue(entry, "model")) {
                status.models.push_back(tomlText(*model));
            }
        }
    }
    return status;
}

}  // namespace corvane
