#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "files/config_files.h"

namespace corvane {

// WorkBuddy's models.json: a JSON (or JSON5) list of model objects. Nothing
// gives an empty list; a parse failure is passed on; any other shape is
// SetupError "WorkBuddy 的 models.json 须为模型列表。".
std::vector<nlohmann::json> workBuddyModels(const std::optional<Bytes>& data);

// An entry the tool wrote: its "id" is a string beginning with
// "corvane-workbuddy-".
bool isOwnedWorkBuddyModel(const nlohmann::json& entry);

}  // namespace corvane
