#pragma once

#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "check/https_transfer.h"
#include "model/client.h"
#include "model/gateway_settings.h"

namespace corvane {

// One model the gateway lists; `name` is its display name where the gateway
// gives one (Anthropic's list does, OpenAI's does not).
struct GatewayModel {
    std::string id;
    std::optional<std::string> name;
};

// The gateway's own model list: GET <base>/v1/models with the client's
// authentication, read in the OpenAI or the Anthropic list shape and followed
// through Anthropic's pages (at most 20). Throws SetupError with a finished
// sentence when the list cannot be had, OperationCancelled on a stop.
std::vector<GatewayModel> gatewayModels(const GatewayConnection& connection, Client client,
                                        std::stop_token stop, const CheckLimits& limits = {});

// The request for one page; `afterId` names the last model of the page before.
HttpsRequest modelListRequest(const GatewayConnection& connection, Client client,
                              const std::optional<std::string>& afterId);

}  // namespace corvane
