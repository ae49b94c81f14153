#pragma once

#include <string_view>

namespace corvane {

// Whether a member or parameter name looks like one that holds a key ("key",
// "apiKey", "api_key", "x-api-key", "token", "accessToken", "secret",
// "password"), in any letter case and with any "_" or "-" between its words.
// Profiles and import links never carry a key, so such a name refuses them.
bool isSecretName(std::string_view name);

}  // namespace corvane
