#include "workflow/client_overview.h"

#include "workflow/installed_application.h"

namespace corvane {

ClientOverview clientOverview(Client client, std::string_view chosenPath,
                              const WorkflowServices& services) {
    ClientOverview overview;
    overview.client = client;
    if (const auto location = applicationLocation(client, services)) {
        overview.installed = true;
        overview.version = applicationVersion(*location);
    } else {
        overview.installed = commandLineProgramPath(client).has_value();
    }
    overview.configuration = clientConfigurationStatus(client, chosenPath);
    return overview;
}

}  // namespace corvane
