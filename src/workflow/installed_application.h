#pragma once

#include <filesystem>
#include <optional>
#include <stop_token>

#include "clients/selected_client_configuration.h"
#include "model/client.h"
#include "workflow/workflow_services.h"

namespace corvane {

// The client's application that can be stopped and started again: the one
// the front end named (nothing when it does not exist), else the installed
// bundle or desktop entry.
std::optional<std::filesystem::path> applicationLocation(Client client,
                                                         const WorkflowServices& services);

// The client's command-line program on PATH. A client found only this way
// reads its settings when the program next starts: there is nothing to
// restart.
std::optional<std::filesystem::path> commandLineProgramPath(Client client);

// How a client is installed here: as an application that can be restarted,
// only as a command-line program (which reads its settings when it next
// starts), or not at all.
enum class Installation { application, commandLineOnly, missing };
Installation clientInstallation(Client client, const WorkflowServices& services);

// Whether the client is made for Linux at all, as a desktop application or a
// command-line program (Claude desktop and WorkBuddy are not).
bool hasLinuxBuild(Client client);

// What the writers need to know of the application at `location`. A bundle
// gives its own version; a desktop entry its version key, else, like a client
// without any location, the version its command-line program prints.
InstalledApplication describeApplication(Client client,
                                         const std::optional<std::filesystem::path>& location,
                                         std::stop_token stop);

}  // namespace corvane
