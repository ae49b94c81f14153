#pragma once

#include <string>
#include <vector>

#include "model/client.h"
#include "model/gateway_settings.h"

namespace corvane {

// The form as the user typed it, for the selected client.
struct SetupForm {
    Client client = Client::claude;
    std::string address;
    std::string key;
    std::string auth = "bearer";
    std::vector<ModelRow> rows{ModelRow()};
    std::string chosenPath;
};

// The user-defaults key under which the chosen configuration path of a client
// is remembered.
std::string configurationPathKey(Client client);

}  // namespace corvane
