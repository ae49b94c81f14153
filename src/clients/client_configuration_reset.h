#pragma once

#include <optional>
#include <stop_token>
#include <string>

#include "clients/selected_client_configuration.h"
#include "model/client.h"

namespace corvane {

// Undoes what the writers put into one client's configuration (not Claude's).
// Each client's reset lives in its own file; this value only dispatches.
class ClientConfigurationReset {
public:
    ClientConfigurationReset(Client client, std::string chosenPath);

    // True when a configuration file was rewritten or deleted, false when it
    // held nothing of the tool's. Claude and Cursor always give false.
    bool run(const InstalledApplication& application, std::stop_token stop = {}) const;

    // The changes `run` makes, computed; nothing when there is nothing to
    // take out. A chosen file that holds nothing of the tool's gives way to
    // the client's default file.
    std::optional<FilePlan> plan(const InstalledApplication& application,
                                 std::stop_token stop = {}) const;

private:
    Client client_;
    std::string chosenPath_;
};

}  // namespace corvane
