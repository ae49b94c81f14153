#include "clients/codex/codex_files.h"

#include <cstdlib>

#include "platform/home.h"

namespace corvane {

std::filesystem::path codexConfigURL() {
    // Codex takes an empty CODEX_HOME for an unset one; an empty folder path
    // would put the files into the working directory.
    const char* codexHome = std::getenv("CODEX_HOME");
    const std::filesystem::path folder = codexHome != nullptr && *codexHome != '\0'
                                             ? std::filesystem::path(codexHome)
                                             : homeDirectory() / ".codex";
    return folder / "config.toml";
}

std::filesystem::path codexModelCatalogURL() {
    return codexConfigURL().parent_path() / "corvane-model-catalog.json";
}

}  // namespace corvane
