#include "workflow/client_overview.h"

#include "workflow/installed_application.h"

namespace corvane {

ClientOverview clientOverview(Client client, std::string_view chosenPath,
                              const WorkflowServices& services) {
    ClientOverview overview;
    overview.client = client;
    if (const auto bundle = applicationBundle(client, services)) {
        overview.installed = true;
        overview.version = applicationVersion(*bundle);
    }
    overview.configuration = clientConfigurationStatus(client, chosenPath);
    return overview;
}

}  // namespace corvane
