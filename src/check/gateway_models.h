#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "check/https_transfer.h"
#include "check/listed_models.h"
#include "check/model_list_page.h"
#include "check/trust_store.h"
#include "model/client.h"
#include "model/gateway_settings.h"

namespace corvane {

// One model the gateway lists; `name` is its display name where the gateway
// gives one (Anthropic's list does, OpenAI's does not).
struct GatewayModel {
    std::string id;
    std::optional<std::string> name;
};

// What bounds one listing as a whole, whatever the gateway sends: endless
// cursors and endless pages end it early. Tests shorten them.
struct ModelListLimits {
    std::chrono::milliseconds total{30000};            // from the first request
    std::size_t bytes = std::size_t{8} * 1024 * 1024;  // all pages together
    int pages = 20;
};

struct GatewayModelList {
    std::vector<GatewayModel> models;
    // Why the listing ended before the gateway's last page, as the sentence
    // that follows the one saying the list is incomplete; nothing when the
    // list is whole.
    std::optional<std::string> incomplete;
};

// The gateway's own model list: GET <base>/v1/models with the client's
// authentication, read in the OpenAI or the Anthropic list shape and followed
// through Anthropic's pages. A limit that ends the listing after its first page
// gives the models found so far and the reason; one that ends the first page,
// or any other failure, throws SetupError with a finished sentence.
// OperationCancelled on a stop.
GatewayModelList gatewayModels(const GatewayConnection& connection, Client client,
                               std::stop_token stop, const CheckLimits& limits = {},
                               const ModelListLimits& listLimits = {},
                               const TrustStore& trust = trustStoreFromEnvironment());

// The same listing, kept compact, so that a hundred thousand models cost
// little more than their bytes.
struct ModelListing {
    ListedModels models;
    std::optional<std::string> incomplete;
};
ModelListing listGatewayModels(const GatewayConnection& connection, Client client,
                               std::stop_token stop, const CheckLimits& limits,
                               const ModelListLimits& listLimits, const TrustStore& trust);

// The request for one page; `afterId` names the last model of the page before.
HttpsRequest modelListRequest(const GatewayConnection& connection, Client client,
                              const std::optional<std::string>& afterId);

}  // namespace corvane
