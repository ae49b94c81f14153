#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>

#include "files/config_files.h"

namespace corvane {

// The receipt beside Hermes' configuration: "." + file name + ".corvane-reset".
// The name is the established one; the value is a file-system path, not a URL.
std::filesystem::path hermesReceiptURL(const std::filesystem::path& config);

// The 32 raw bytes of the SHA-256 of the connection in a "model" mapping: its
// "provider", "base_url" and "api_key" as compact JSON with sorted keys and "/"
// written as "\/". "default" is left out, so picking another model inside
// Hermes does not count as a change of connection. Throws when the fields
// cannot be serialised.
Bytes hermesReceipt(const nlohmann::json& model);

}  // namespace corvane
