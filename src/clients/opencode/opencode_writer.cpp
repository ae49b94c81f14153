#include "clients/opencode/opencode_writer.h"

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "clients/selected_client_configuration.h"
#include "files/config_files.h"
#include "files/editable_json.h"
#include "files/unreadable_configuration.h"
#include "model/messages.h"
#include "platform/home.h"

namespace corvane {
namespace {

constexpr const char* kProviderID = "corvane-desktop";

// OpenCode 1.x reads "provider" with an AI SDK package; every other version
// (and an unknown one) reads "providers". Only the first non-empty piece of
// the dotted version counts.
bool usesSingleProviderLayout(const std::optional<std::string>& version) {
    if (!version) return false;
    std::string_view rest = *version;
    while (!rest.empty()) {
        const std::size_t dot = rest.find('.');
        const std::string_view piece = rest.substr(0, dot);
        if (!piece.empty()) return piece == "1";
        if (dot == std::string_view::npos) break;
        rest.remove_prefix(dot + 1);
    }
    return false;
}

bool usesApiKeyHeader(const GatewaySettings& settings) {
    return settings.inferenceGatewayAuthScheme() == "x-api-key";
}

nlohmann::json apiKeyHeader(const GatewaySettings& settings) {
    return {{"x-api-key", settings.inferenceGatewayApiKey()}};
}

nlohmann::json singleProviderEntry(const SelectedClientConfiguration& configuration) {
    const GatewaySettings& settings = configuration.settings;
    nlohmann::json models = nlohmann::json::object();
    for (const auto& model : settings.inferenceModels()) {
        models[model.name] = {{"name", model.label()}};
    }
    nlohmann::json options = {{"baseURL", configuration.compatibleURL().absoluteString()}};
    if (usesApiKeyHeader(settings)) {
        options["headers"] = apiKeyHeader(settings);
    } else {
        options["apiKey"] = settings.inferenceGatewayApiKey();
    }
    return {{"name", translated("clients.provider-name")},
            {"npm", "@ai-sdk/openai-compatible"},
            {"models", models},
            {"options", options}};
}

nlohmann::json providersEntry(const SelectedClientConfiguration& configuration) {
    const GatewaySettings& settings = configuration.settings;
    nlohmann::json models = nlohmann::json::object();
    std::size_t position = 1;
    for (const auto& model : settings.inferenceModels()) {
        models["model-" + std::to_string(position++)] = {
            {"modelID", model.name},
            {"name", model.label()},
            {"body", {{"thinking", {{"type", "disabled"}}}}}};
    }
    nlohmann::json entry = {{"name", translated("clients.provider-name")},
                            {"package", "@opencode/ai/providers/openai-compatible"},
                            {"models", models}};
    nlohmann::json providerSettings = {{"baseURL", configuration.compatibleURL().absoluteString()}};
    if (usesApiKeyHeader(settings)) {
        entry["headers"] = apiKeyHeader(settings);
    } else {
        providerSettings["apiKey"] = settings.inferenceGatewayApiKey();
    }
    entry["settings"] = providerSettings;
    return entry;
}

}  // namespace

OpenCodeConfigPaths openCodeConfigURLs() {
    // OpenCode itself treats an empty value as unset; taken as it stands it
    // would put the folder into the working directory.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const std::filesystem::path folder =
        (configHome != nullptr && *configHome != '\0' ? std::filesystem::path(configHome)
                                                      : homeDirectory() / ".config") /
        "opencode";
    return {folder / "opencode.json", folder / "opencode.jsonc"};
}

Bytes openCodeConfiguration(const SelectedClientConfiguration& configuration,
                            const std::optional<Bytes>& holding,
                            const InstalledApplication& application) {
    const std::optional<EditableJson> document = editableJson(holding);
    nlohmann::json root = jsonObject(document);

    const bool single = usesSingleProviderLayout(application.version);
    const char* key = single ? "provider" : "providers";
    // Changed where it stands: a large providers table is not copied.
    nlohmann::json& providers = root[key];
    if (!providers.is_object()) providers = nlohmann::json::object();
    providers[kProviderID] =
        single ? singleProviderEntry(configuration) : providersEntry(configuration);
    root["model"] =
        std::string(kProviderID) + "/" +
        (single ? configuration.settings.inferenceModels().front().name : std::string("model-1"));
    return jsonConfigurationText(document, root);
}

FilePlan SelectedClientConfiguration::planOpenCode(const InstalledApplication& application) const {
    const OpenCodeConfigPaths paths = openCodeConfigURLs();
    std::error_code ignored;
    const std::filesystem::path& configPath =
        std::filesystem::exists(paths.jsonc, ignored) ? paths.jsonc : paths.json;
    const std::optional<Bytes> holding = configurationData(configPath);
    return {{FileChange::Kind::configuration, configPath, holding,
             readingConfiguration(
                 configPath, [&] { return openCodeConfiguration(*this, holding, application); })}};
}

}  // namespace corvane
