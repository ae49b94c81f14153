#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/client.h"
#include "model/gateway_settings.h"

namespace corvane {

// The scheme of the import links gateways print for their users.
inline constexpr std::string_view kSetupLinkScheme = "corvane-setup";

// What an import link fills in the form: never a key, never a file path.
struct SetupLink {
    Client client = Client::claude;
    std::string address;
    std::string auth = "bearer";
    // In the link's order; one empty row when the link names no model.
    std::vector<ModelRow> rows;
    // The gateway's host, for the line that says where the values came from.
    std::string host;
};

// Reads "corvane-setup://configure?client=C&address=…&auth=…&model=ID
// [&name=…]…": a `name` gives the display name of the `model` before it;
// values are percent-encoded ("+" is a space). Checks the link's form only:
// the values are validated, as typed ones are, when a button is pressed.
// Throws SetupError saying what is wrong. A link with a parameter named like
// a key is refused whole, with a sentence that shows none of its values.
SetupLink parseSetupLink(std::string_view link);

}  // namespace corvane
