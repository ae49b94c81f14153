#include "check/gateway_models.h"

#include <curl/curl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string_view>
#include <utility>

#include "check/check_request.h"
#include "check/model_list_page.h"
#include "model/messages.h"
#include "model/setup_error.h"

namespace corvane {

namespace {

using Clock = std::chrono::steady_clock;

std::string percentEncoded(const std::string& text) {
    const std::unique_ptr<char, decltype(&curl_free)> encoded(
        curl_easy_escape(nullptr, text.c_str(), static_cast<int>(text.size())), &curl_free);
    return encoded ? std::string(encoded.get()) : std::string();
}

std::string statusFailure(long status) {
    const std::string code = std::to_string(status);
    switch (status) {
        case 404:
            return translated("check.models.not-offered");
        case 401:
        case 403:
            return translated("check.models.http-check-key", {{"code", code}});
        default:
            return translated("check.models.http-failed", {{"code", code}});
    }
}

std::string durationText(std::chrono::milliseconds duration) {
    const auto count = static_cast<unsigned long>(duration.count());
    if (count % 1000 == 0) {
        return translatedCount("check.models.seconds", "check.models.seconds.plural", count / 1000);
    }
    return translatedCount("check.models.milliseconds", "check.models.milliseconds.plural", count);
}

std::string sizeText(std::size_t bytes) {
    constexpr std::size_t kMiB = std::size_t{1024} * 1024;
    if (bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
    return translatedCount("check.models.bytes", "check.models.bytes.plural", bytes);
}

// About how much of a page waits for the reader at a time.
constexpr std::size_t kArrivingBytes = std::size_t{64} * 1024;

// What ended the reading of one page early.
enum class PageLimit { none, time, size };

struct FetchedPage {
    PageLimit limit = PageLimit::none;
    std::size_t bytes = 0;
    ModelListPage read;
};

// Fetches one page and reads it as it arrives. What ended the transfer
// speaks before what the reader made of the bytes it got.
FetchedPage fetchPage(const HttpsRequest& request, std::stop_token stop, const CheckLimits& limits,
                      Clock::time_point deadline, std::size_t bytesLeft, const TrustStore& trust,
                      ListedModels& models) {
    FetchedPage page;
    std::optional<long> status;
    // What came since the reader last asked; its room is used again each time.
    std::string arrived;
    const HttpsReceiver receiver{
        .head =
            [&](const ResponseHead& head) {
                status = head.status;
                return head.status == 200;
            },
        .body =
            [&](std::string_view bytes) {
                if (page.bytes + bytes.size() > bytesLeft) {
                    page.limit = PageLimit::size;
                    return false;
                }
                page.bytes += bytes.size();
                arrived.append(bytes);
                return true;
            },
        // libcurl would hand over up to 2 MiB at a time.
        .full = [&arrived] { return arrived.size() >= kArrivingBytes; },
    };
    CheckLimits pageLimits = limits;
    pageLimits.total = std::min(limits.total, std::chrono::ceil<std::chrono::milliseconds>(
                                                  std::max(deadline - Clock::now(), {})));
    HttpsTransfer transfer(request, receiver, std::move(stop), pageLimits, trust);
    bool transferring = true;
    const ArrivingBytes next = [&]() -> std::string_view {
        arrived.clear();
        while (arrived.empty() && transferring) transferring = transfer.advance();
        return arrived;
    };
    std::optional<SetupError> unreadable;
    try {
        page.read = modelListPage(next, [&models](const ListedModel& model) { models.add(model); });
    } catch (const SetupError& error) {
        unreadable = error;
    }
    if (status && *status != 200) throw SetupError(statusFailure(*status));
    if (page.limit == PageLimit::size) return page;
    // The reader gave up on bytes that are no model list before they ended.
    if (unreadable && transferring) throw *unreadable;
    const TransferResult result = transfer.result();
    switch (result.end) {
        case TransferEnd::complete:
            if (unreadable) throw *unreadable;
            return page;
        case TransferEnd::notHttp:
            throw SetupError(translated("check.gateway.not-http"));
        case TransferEnd::outOfTime:
            if (Clock::now() >= deadline) {
                page.limit = PageLimit::time;
                return page;
            }
            [[fallthrough]];
        default:
            if (result.headReceived) throw SetupError(translated("check.models.interrupted"));
            throw SetupError(translated("check.gateway.unreachable"));
    }
}

// Reads the listing's pages into `models`; returns why it ended early.
std::optional<std::string> readPages(const GatewayConnection& connection, Client client,
                                     std::stop_token stop, const CheckLimits& limits,
                                     const ModelListLimits& listLimits, const TrustStore& trust,
                                     ListedModels& models) {
    const Clock::time_point deadline = Clock::now() + listLimits.total;
    std::set<std::string> cursors;
    std::size_t bytesLeft = listLimits.bytes;
    std::optional<std::string> afterId;
    for (int page = 0;; ++page) {
        if (page == listLimits.pages) {
            return translatedCount("check.models.page-limit", "check.models.page-limit.plural",
                                   static_cast<unsigned long>(listLimits.pages));
        }
        const HttpsRequest request = modelListRequest(connection, client, afterId);
        FetchedPage fetched = fetchPage(request, stop, limits, deadline, bytesLeft, trust, models);
        if (fetched.limit == PageLimit::size) {
            if (page == 0) {
                throw SetupError(
                    translated("check.models.too-large", {{"size", sizeText(listLimits.bytes)}}));
            }
            return translated("check.models.total-too-large",
                              {{"size", sizeText(listLimits.bytes)}});
        }
        if (fetched.limit == PageLimit::time) {
            if (page == 0) throw SetupError(translated("check.models.interrupted"));
            return translated("check.models.took-too-long",
                              {{"duration", durationText(listLimits.total)}});
        }
        bytesLeft -= fetched.bytes;
        if (!fetched.read.nextAfterId) return std::nullopt;
        // A gateway that names a page it gave before would loop until a limit.
        if (!cursors.insert(*fetched.read.nextAfterId).second) {
            return translated("check.models.page-repeated");
        }
        afterId = std::move(fetched.read.nextAfterId);
    }
}

}  // namespace

HttpsRequest modelListRequest(const GatewayConnection& connection, Client client,
                              const std::optional<std::string>& afterId) {
    HttpsRequest request;
    request.url = connection.baseUrl.appendingPathComponents("v1/models").absoluteString();
    if (afterId) request.url += "?after_id=" + percentEncoded(*afterId);
    request.headers = {"Accept: application/json"};
    if (client == Client::claude) request.headers.emplace_back("anthropic-version: 2023-06-01");
    request.headers.push_back(credentialHeaderPrefix(connection.authScheme) + connection.apiKey);
    return request;
}

ModelListing listGatewayModels(const GatewayConnection& connection, Client client,
                               std::stop_token stop, const CheckLimits& limits,
                               const ModelListLimits& listLimits, const TrustStore& trust) {
    ModelListing listing{.models = ListedModels(listLimits.bytes), .incomplete = std::nullopt};
    listing.incomplete =
        readPages(connection, client, std::move(stop), limits, listLimits, trust, listing.models);
    listing.models.dropRepeats();
    return listing;
}

GatewayModelList gatewayModels(const GatewayConnection& connection, Client client,
                               std::stop_token stop, const CheckLimits& limits,
                               const ModelListLimits& listLimits, const TrustStore& trust) {
    const ModelListing listing =
        listGatewayModels(connection, client, std::move(stop), limits, listLimits, trust);
    GatewayModelList list;
    list.models.reserve(listing.models.size());
    for (const ListedModel& model : listing.models) {
        list.models.push_back(
            {.id = std::string(model.id),
             .name = model.name ? std::optional<std::string>(*model.name) : std::nullopt});
    }
    list.incomplete = listing.incomplete;
    return list;
}

}  // namespace corvane
