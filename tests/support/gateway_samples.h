#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "clients/selected_client_configuration.h"
#include "model/client.h"
#include "model/gateway_settings.h"

namespace corvane::testing {

// The gateway every writer test points at: https://gw.example.com/api with
// the key kSampleKey.
inline constexpr const char* kSampleKey = "sk-sample-0123456789";

// A validated save request for `client`.
SelectedClientConfiguration sampleConfiguration(
    Client client, const std::string& auth = "bearer",
    const std::vector<ModelRow>& rows = {ModelRow("model-a", "")},
    const std::string& chosenPath = "");

// The JSON value of a file, read leniently.
nlohmann::json parsedFile(const std::filesystem::path& path);

}  // namespace corvane::testing
