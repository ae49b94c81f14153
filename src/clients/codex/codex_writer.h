#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "clients/codex/codex_config_document.h"
#include "clients/selected_client_configuration.h"

namespace corvane {

// A TOML basic string literal of `value`: the JSON string form ("/" left
// alone), with U+007F escaped too, since TOML forbids a raw DEL in a basic
// string.
std::string tomlString(std::string_view value);

// The new config.toml computed from the existing `text`: the tool's four root
// lines first, every other entry of the user's as it stands, the tool's
// provider table last; a byte-order mark stays first. SetupError when the
// line model cannot read the text safely, or when the user's root assigns an
// inline model_providers table, which the tool cannot add to without
// re-formatting.
std::string codexConfiguration(const SelectedClientConfiguration& configuration,
                               std::string_view text, const std::filesystem::path& catalog);

// The user's part of a config.toml: every entry but the tool's root keys and
// tables, blank lines at both ends left out.
std::string codexKeptText(CodexConfigDocument document);

// Codex's list of selectable models for the settings' models, in list order.
nlohmann::json codexModelCatalog(const GatewaySettings& settings);

}  // namespace corvane
