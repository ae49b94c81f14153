#pragma once

#include <optional>

#include "clients/selected_client_configuration.h"
#include "files/config_files.h"

namespace corvane {

// The bytes OpenClaw's file is to hold after the save: `holding` (the file as
// read, nothing when missing) with the tool's provider and default models.
Bytes openClawConfiguration(const SelectedClientConfiguration& configuration,
                            const std::optional<Bytes>& holding);

}  // namespace corvane
