#pragma once

#include <filesystem>
#include <optional>

#include "clients/selected_client_configuration.h"
#include "files/config_files.h"

namespace corvane {

// OpenCode's two candidate configuration files in its configuration folder.
struct OpenCodeConfigPaths {
    std::filesystem::path json;
    std::filesystem::path jsonc;
};

// The folder is $XDG_CONFIG_HOME/opencode, or ~/.config/opencode when the
// variable is unset or empty. Shared by the writer and the reset.
// The name is the established one; the value is a file-system path, not a URL.
OpenCodeConfigPaths openCodeConfigURLs();

// The bytes OpenCode's file is to hold after the save: `holding` (the file as
// read, nothing when missing) with the tool's provider and default model.
Bytes openCodeConfiguration(const SelectedClientConfiguration& configuration,
                            const std::optional<Bytes>& holding,
                            const InstalledApplication& application);

}  // namespace corvane
