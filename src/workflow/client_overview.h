#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "clients/client_status.h"
#include "model/client.h"
#include "workflow/workflow_services.h"

namespace corvane {

// What a look at one client shows: whether it is installed, and what its files
// hold of the tool's configuration. Nothing runs and nothing is written.
struct ClientOverview {
    Client client = Client::claude;
    bool installed = false;
    // The installed application's version, when it states one.
    std::optional<std::string> version;
    ClientConfigurationStatus configuration;
};

ClientOverview clientOverview(Client client, std::string_view chosenPath,
                              const WorkflowServices& services);

}  // namespace corvane
