#pragma once

#include <string>
#include <string_view>

#include "check/https_transfer.h"
#include "check/trust_store.h"
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

// The same request as one curl command line for the user to paste: the key's
// header names $CORVANE_API_KEY instead of carrying the key; the address is
// taken literally (no globbing), no User-Agent is sent, as the tool sends
// none, and the trust store the tool used is named (--cacert, --capath), so
// that curl's own CURL_CA_BUNDLE cannot make it differ. The system's
// certificates are not named: curl built for the system trusts them itself.
std::string curlCommand(const HttpsRequest& request, std::string_view authScheme,
                        const TrustStore& trust);

}  // namespace corvane
