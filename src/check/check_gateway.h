#pragma once

#include <chrono>
#include <optional>
#include <stop_token>
#include <string>

#include "check/https_transfer.h"
#include "check/trust_store.h"
#include "model/client.h"
#include "model/gateway_settings.h"

namespace corvane {

// What the test request of one model found. The optional fields stay empty
// where the check did not get that far; times count from sending.
struct ModelCheck {
    bool passed = false;
    std::string message;  // the failure sentence; empty when passed
    std::string detail;   // the transfer's reason behind a failed connection
    std::optional<long> httpStatus;
    std::optional<std::chrono::milliseconds> firstEvent;     // first stream event
    std::optional<std::chrono::milliseconds> terminalEvent;  // the event that decided
};

// Streams one small request for the model in the client's protocol and
// reports what it found. Throws OperationCancelled when a stop is requested.
// The request goes out over a connection of its own: nothing is kept between
// calls and redirects are never followed, so the key reaches only the named host.
ModelCheck checkModel(const GatewaySettings& settings, const GatewaySettings::Model& model,
                      Client client, std::stop_token stop, const CheckLimits& limits = {},
                      const TrustStore& trust = trustStoreFromEnvironment());

// As checkModel, but returns only once the stream has shown a successful end
// and throws SetupError with the failure sentence otherwise.
void checkGateway(const GatewaySettings& settings, const GatewaySettings::Model& model,
                  Client client, std::stop_token stop, const CheckLimits& limits = {},
                  const TrustStore& trust = trustStoreFromEnvironment());

}  // namespace corvane
