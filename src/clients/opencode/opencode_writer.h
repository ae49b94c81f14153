#pragma once

#include <filesystem>

namespace corvane {

// OpenCode's two candidate configuration files in its configuration folder.
struct OpenCodeConfigURLs {
    std::filesystem::path json;
    std::filesystem::path jsonc;
};

// The folder is $XDG_CONFIG_HOME/opencode, or ~/.config/opencode when the
// variable is unset or empty. Shared by the writer and the reset.
OpenCodeConfigURLs openCodeConfigURLs();

}  // namespace corvane
