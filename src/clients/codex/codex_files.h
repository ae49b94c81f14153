#pragma once

#include <filesystem>

namespace corvane {

// Codex's config.toml: $CODEX_HOME/config.toml when CODEX_HOME is set and not
// empty (taken as it stands, never "~"-expanded), else ~/.codex/config.toml.
// Computed afresh on every call; touches no file.
// The name is the established one; the value is a file-system path, not a URL.
std::filesystem::path codexConfigURL();

// The tool's model catalog, "corvane-model-catalog.json" beside config.toml.
// The name is the established one; the value is a file-system path, not a URL.
std::filesystem::path codexModelCatalogURL();

}  // namespace corvane
