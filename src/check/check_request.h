#pragma once

#include <string>
#include <vector>

#include "model/client.h"
#include "model/gateway_settings.h"

namespace corvane {

// The streaming test request for one model, as the client would send it.
struct CheckRequest {
    std::string url;
    std::string body;
    // "Name: value" lines in sending order. One carries the key: never log them.
    std::vector<std::string> headers;
};

CheckRequest checkRequest(const GatewaySettings& settings, const GatewaySettings::Model& model,
                          Client client);

}  // namespace corvane
