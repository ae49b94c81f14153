#pragma once

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <stop_token>
#include <string_view>

#include "files/config_files.h"

namespace corvane {

// How long Hermes' YAML converter may take in all before it is stopped.
inline constexpr std::chrono::milliseconds kHermesConverterLimit = std::chrono::seconds(30);

// Hermes' configuration as a JSON object. Nothing, or bytes with no value
// (blank lines, comments), give an empty object without the converter; bytes
// that read as a JSON5 object are taken directly; anything else goes through
// the converter that ships inside the Hermes bundle `application` (Hermes' own
// python3 and YAML library). A converter that is missing, fails, or runs past
// `limit` is SetupError, its detail naming `file` (and the line and column of
// a YAML error); a stop request ends the wait with OperationCancelled.
// Blank lines, comments and document markers only: YAML reads no value in
// it, and Hermes' converter would give an empty object.
bool hermesHoldsNoValue(std::string_view data);

nlohmann::json hermesObject(const std::optional<Bytes>& data, const std::filesystem::path& file,
                            const std::optional<std::filesystem::path>& application,
                            std::stop_token stop,
                            std::chrono::milliseconds limit = kHermesConverterLimit);

}  // namespace corvane
