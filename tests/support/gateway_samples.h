#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "clients/selected_client_configuration.h"
#include "model/client.h"
#include "model/gateway_settings.h"
#include "support/test_keys.h"

namespace corvane::testing {

// A validated save request for `client`.
SelectedClientConfiguration sampleConfiguration(
    Client client, const std::string& auth = "bearer",
    const std::vector<ModelRow>& rows = {ModelRow("model-a", "")},
    const std::string& chosenPath = "");

// The JSON value of a file, read leniently.
nlohmann::json parsedFile(const std::filesystem::path& path);

}  // namespace corvane::testing
