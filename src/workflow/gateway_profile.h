#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "model/client.h"
#include "model/gateway_settings.h"

namespace corvane {

// A team's gateway, described once for every client: the setup form typed in
// a file. It never holds a key; the key is given where the profile is used.
struct GatewayProfile {
    std::string address;
    std::string auth = "bearer";
    // The models of every client that has no list of its own.
    std::vector<ModelRow> models;
    // The clients' own lists, under the names the file gave the clients.
    std::map<Client, std::vector<ModelRow>> clientModels;
    std::map<Client, std::string> clientNames;

    // The rows `client` gets: its own list, else the shared one; only the
    // first for a client that takes one model; display names left out where
    // the client has none.
    std::vector<ModelRow> rowsFor(Client client) const;

    // Whether `client` takes only the first of a longer list.
    bool narrowsToFirstModel(Client client) const;

    // The form's validation for `client` with `key`. A SetupError's sentence
    // names the client and the profile's member before the form's message
    // (workflow.profile.member-refused); a bad key is the key's own message,
    // since the profile never holds it.
    GatewaySettings settingsFor(Client client, std::string_view key) const;

    // The same validation for everything but the key, which is not known
    // yet: the settings' key is a stand-in, never to be sent or written.
    GatewaySettings settingsWithoutKey(Client client) const;
};

// Reads a profile's JSON5 text. A member named like a key anywhere in it is
// refused before anything else. Throws SetupError for that, for text that is
// not JSON5, for an unknown member or client, and for a value of the wrong
// kind; the listed clients' own values are validated as `settingsWithoutKey` does.
GatewayProfile parseGatewayProfile(std::string_view text);

// The profile in the file at `path`; SetupError when it cannot be read.
GatewayProfile readGatewayProfile(const std::filesystem::path& path);

}  // namespace corvane
