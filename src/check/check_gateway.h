#pragma once

#include <chrono>
#include <stop_token>

#include "model/client.h"
#include "model/gateway_settings.h"

namespace corvane {

// How long the test request may take: `idle` without any data arriving, `total`
// for the whole exchange.
struct CheckLimits {
    std::chrono::milliseconds idle{12000};
    std::chrono::milliseconds total{20000};
};

// Streams one small request for the model in the client's protocol and returns
// once the stream has shown a successful end. Throws SetupError with a finished
// message otherwise, and OperationCancelled when a stop is requested. The
// request goes out over a connection of its own: nothing is kept between calls
// and redirects are never followed, so the key reaches only the named host.
void checkGateway(const GatewaySettings& settings, const GatewaySettings::Model& model,
                  Client client, std::stop_token stop, const CheckLimits& limits = {});

}  // namespace corvane
