#include <filesystem>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "clients/selected_client_configuration.h"
#include "files/config_files.h"
#include "files/editable_json.h"
#include "files/json_members.h"
#include "files/unreadable_configuration.h"

namespace corvane {
namespace {

constexpr const char* kProviderID = "corvane-desktop";
constexpr const char* kModelPrefix = "corvane-desktop/";

nlohmann::json modelEntry(const GatewaySettings::Model& model) {
    return {{"id", model.name},
            {"name", model.label()},
            {"input", nlohmann::json::array({"text"})},
            {"contextWindow", 32768},
            {"maxTokens", 8192},
            {"reasoning", false},
            {"compat",
             {{"supportsStore", false},
              {"supportsDeveloperRole", false},
              {"supportsReasoningEffort", false},
              {"supportsUsageInStreaming", false},
              {"maxTokensField", "max_tokens"}}}};
}

nlohmann::json providerEntry(const SelectedClientConfiguration& configuration) {
    const GatewaySettings& settings = configuration.settings;
    nlohmann::json models = nlohmann::json::array();
    for (const auto& model : settings.inferenceModels()) models.push_back(modelEntry(model));
    nlohmann::json entry = {{"baseUrl", configuration.compatibleURL().absoluteString()},
                            {"api", "openai-completions"},
                            {"apiKey", settings.inferenceGatewayApiKey()},
                            {"models", models}};
    if (settings.inferenceGatewayAuthScheme() == "x-api-key") {
        entry["headers"] = {{"x-api-key", settings.inferenceGatewayApiKey()}};
    }
    return entry;
}

// The bytes OpenClaw's file is to hold after the save: `holding` (the file as
// read, nothing when missing) with the tool's provider and default models.
Bytes openClawConfiguration(const SelectedClientConfiguration& configuration,
                            const std::optional<Bytes>& holding) {
    const GatewaySettings& settings = configuration.settings;
    const std::optional<EditableJson> document = editableJson(holding);
    nlohmann::json root = jsonObject(document);

    nlohmann::json models = objectMember(root, "models");
    nlohmann::json providers = objectMember(models, "providers");
    providers[kProviderID] = providerEntry(configuration);
    models["providers"] = providers;
    root["models"] = models;

    nlohmann::json agents = objectMember(root, "agents");
    nlohmann::json defaults = objectMember(agents, "defaults");
    nlohmann::json defaultModels = objectMember(defaults, "models");
    // The entries of an earlier save go, so that models dropped from the form
    // do not linger in OpenClaw's model list.
    eraseMembersWithPrefix(defaultModels, kModelPrefix);
    for (const auto& model : settings.inferenceModels()) {
        defaultModels[kModelPrefix + model.name] = nlohmann::json::object();
    }
    nlohmann::json selection = objectMember(defaults, "model");
    selection["primary"] = kModelPrefix + settings.inferenceModels().front().name;
    defaults["model"] = selection;
    defaults["models"] = defaultModels;
    agents["defaults"] = defaults;
    root["agents"] = agents;
    return jsonConfigurationText(document, root);
}

}  // namespace

FilePlan SelectedClientConfiguration::planOpenClaw() const {
    const std::filesystem::path configPath = localClientConfigURL(client, chosenPath);
    const std::optional<Bytes> holding = configurationData(configPath);
    return {
        {FileChange::Kind::configuration, configPath, holding,
         readingConfiguration(configPath, [&] { return openClawConfiguration(*this, holding); })}};
}

}  // namespace corvane
