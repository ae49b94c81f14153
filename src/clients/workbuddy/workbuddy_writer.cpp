#include "clients/workbuddy/workbuddy_writer.h"

#include <algorithm>
#include <string>

#include "clients/selected_client_configuration.h"
#include "files/json_members.h"
#include "files/unreadable_configuration.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "model/text.h"
#include "model/uuid.h"

namespace corvane {
namespace {

constexpr const char* kIDPrefix = "corvane-workbuddy-";

// The id of the earlier tool entry for the same model name, so that WorkBuddy
// keeps its per-model state across saves; a fresh one otherwise. Tool entries
// always have a string id.
std::string entryID(const std::vector<nlohmann::json>& earlierEntries, const std::string& name) {
    for (const auto& entry : earlierEntries) {
        const nlohmann::json* entryName = jsonMember(entry, "name");
        if (entryName != nullptr && entryName->is_string() && *entryName == name) {
            return entry.at("id").get<std::string>();
        }
    }
    return kIDPrefix + asciiLowercased(randomUUID());
}

}  // namespace

std::vector<nlohmann::json> workBuddyModels(const std::optional<Bytes>& data) {
    return workBuddyModels(editableJson(data));
}

std::vector<nlohmann::json> workBuddyModels(const std::optional<EditableJson>& document) {
    if (!document) return {};
    const nlohmann::json& value = document->value();
    const bool isListOfObjects =
        value.is_array() && std::all_of(value.begin(), value.end(),
                                        [](const auto& entry) { return entry.is_object(); });
    if (!isListOfObjects) throw SetupError(translated("clients.workbuddy.not-a-model-list"));
    return {value.begin(), value.end()};
}

bool isOwnedWorkBuddyModel(const nlohmann::json& entry) {
    const nlohmann::json* id = jsonMember(entry, "id");
    return id != nullptr && id->is_string() &&
           id->get_ref<const std::string&>().starts_with(kIDPrefix);
}

Bytes workBuddyConfiguration(const SelectedClientConfiguration& configuration,
                             const std::optional<Bytes>& holding) {
    const GatewaySettings& settings = configuration.settings;
    const std::optional<EditableJson> document = editableJson(holding);
    std::vector<nlohmann::json> toolEntries;
    nlohmann::json entries = nlohmann::json::array();
    for (auto& entry : workBuddyModels(document)) {
        if (isOwnedWorkBuddyModel(entry)) {
            toolEntries.push_back(std::move(entry));
        } else {
            entries.push_back(std::move(entry));
        }
    }
    const std::string endpoint =
        configuration.compatibleURL().appendingPathComponents("chat/completions").absoluteString();
    for (const auto& model : settings.inferenceModels()) {
        entries.push_back({{"id", entryID(toolEntries, model.name)},
                           {"name", model.name},
                           {"vendor", "Custom"},
                           {"url", endpoint},
                           {"apiKey", settings.inferenceGatewayApiKey()},
                           {"supportsToolCall", true},
                           {"supportsImages", false},
                           {"supportsReasoning", false},
                           {"useCustomProtocol", false}});
    }
    return jsonConfigurationText(document, entries);
}

FilePlan SelectedClientConfiguration::planWorkBuddy() const {
    const std::filesystem::path configPath = localClientConfigURL(client, chosenPath);
    if (configPath.filename() != "models.json") {
        throw SetupError(translated("clients.workbuddy.choose-models-file"));
    }
    const std::optional<Bytes> holding = configurationData(configPath);
    return {
        {FileChange::Kind::configuration, configPath, holding,
         readingConfiguration(configPath, [&] { return workBuddyConfiguration(*this, holding); })}};
}

}  // namespace corvane
