#include "clients/codex/codex_files.h"

#include <cstdlib>

#include "platform/home.h"

namespace corvane {

std::filesystem::path codexConfigURL() {
    // Codex reads CODEX_HOME literally, so an empty value is an empty folder
    // path here too, not a reason to fall back to ~/.codex.
    const char* codexHome = std::getenv("CODEX_HOME");
    const std::filesystem::path folder =
        codexHome != nullptr ? std::filesystem::path(codexHome) : homeDirectory() / ".codex";
    return folder / "config.toml";
}

std::filesystem::path codexModelCatalogURL() {
    return codexConfigURL().parent_path() / "corvane-model-catalog.json";
}

}  // namespace corvane
