#pragma once

#include <string>
#include <string_view>

#include "check/https_transfer.h"
#include "model/client.h"
#include "model/gateway_settings.h"

namespace corvane {

// The header prefix that the key follows for the authentication scheme:
// "x-api-key: " or "Authorization: Bearer ".
std::string credentialHeaderPrefix(std::string_view authScheme);

// The streaming test request for one model, as the client would send it. The
// key's header is the last one.
HttpsRequest checkRequest(const GatewaySettings& settings, const GatewaySettings::Model& model,
                          Client client);

// The same request as a curl command line for the user to run; the key's
// header names $CORVANE_API_KEY instead of carrying the key.
std::string curlCommand(const HttpsRequest& request, std::string_view authScheme);

}  // namespace corvane
