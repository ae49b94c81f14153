#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <stop_token>

#include "files/config_files.h"

namespace corvane {

// The bytes Hermes' configuration `file` is to hold when its value changes
// from `current` to `intended`. A file the tool creates (or one that was
// blank) is pretty JSON; a JSON file is edited in place; a block-style YAML
// file has only its "model" entry edited (put back as `earlier` wrote it when
// `intended` holds the earlier model; `earlier` whole when it held no value
// and nothing is left), and the result is used only when Hermes' converter
// reads exactly `intended` from it. Any other YAML is refused with SetupError
// clients.hermes.malformed, the path in its detail.
Bytes hermesConfigurationText(const std::optional<Bytes>& original, const nlohmann::json& current,
                              const nlohmann::json& intended, const std::optional<Bytes>& earlier,
                              const nlohmann::json& earlierObject,
                              const std::filesystem::path& file,
                              const std::optional<std::filesystem::path>& application,
                              std::stop_token stop);

}  // namespace corvane
