#pragma once

#include <filesystem>
#include <optional>
#include <stop_token>

#include "clients/selected_client_configuration.h"
#include "model/client.h"
#include "workflow/workflow_services.h"

namespace corvane {

// The client's application bundle: the one the front end named (nothing when
// that folder does not exist), else the installed one.
std::optional<std::filesystem::path> applicationBundle(Client client,
                                                       const WorkflowServices& services);

// The bundle with its version. Without a bundle, OpenCode's version comes from
// an `opencode` program on PATH when there is one.
InstalledApplication describeApplication(Client client,
                                         const std::optional<std::filesystem::path>& bundle,
                                         std::stop_token stop);

}  // namespace corvane
