#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "clients/selected_client_configuration.h"
#include "files/config_files.h"
#include "files/editable_json.h"

namespace corvane {

// WorkBuddy's models.json: a JSON (or JSON5) list of model objects. Nothing
// gives an empty list; a parse failure is passed on; any other shape is
// SetupError clients.workbuddy.not-a-model-list.
std::vector<nlohmann::json> workBuddyModels(const std::optional<Bytes>& data);
std::vector<nlohmann::json> workBuddyModels(const std::optional<EditableJson>& document);

// An entry the tool wrote: its "id" is a string beginning with
// "corvane-workbuddy-".
bool isOwnedWorkBuddyModel(const nlohmann::json& entry);

// The bytes models.json is to hold after the save: `holding` (the file as
// read, nothing when missing) with the tool's entries for the settings' models.
Bytes workBuddyConfiguration(const SelectedClientConfiguration& configuration,
                             const std::optional<Bytes>& holding);

}  // namespace corvane
