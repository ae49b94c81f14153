#include "check/gateway_models.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <set>
#include <unordered_set>

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
                      Clock::time_point deadline, std::size_t bytesLeft, const TrustStore& trust) {
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
        page.read = modelListPage(next);
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

GatewayModelList gatewayModels(const GatewayConnection& connection, Client client,
                               std::stop_token stop, const CheckLimits& limits,
                               const ModelListLimits& listLimits, const TrustStore& trust) {
    const Clock::time_point deadline = Clock::now() + listLimits.total;
    GatewayModelList list;
    // Indices into list.models, so that a hundred thousand IDs are not copied.
    const auto hashAt = [&list](std::size_t index) {
        return std::hash<std::string>()(list.models[index].id);
    };
    const auto sameAt = [&list](std::size_t left, std::size_t right) {
        return list.models[left].id == list.models[right].id;
    };
    std::unordered_set<std::size_t, decltype(hashAt), decltype(sameAt)> seen(0, hashAt, sameAt);
    std::set<std::string> cursors;
    std::size_t bytesLeft = listLimits.bytes;
    std::optional<std::string> afterId;
    for (int page = 0;; ++page) {
        if (page == listLimits.pages) {
            list.incomplete =
                translatedCount("check.models.page-limit", "check.models.page-limit.plural",
                                static_cast<unsigned long>(listLimits.pages));
            break;
        }
        const HttpsRequest request = modelListRequest(connection, client, afterId);
        FetchedPage fetched = fetchPage(request, stop, limits, deadline, bytesLeft, trust);
        if (fetched.limit == PageLimit::size) {
            if (page == 0) {
                throw SetupError(
                    translated("check.models.too-large", {{"size", sizeText(listLimits.bytes)}}));
            }
            list.incomplete =
                translated("check.models.total-too-large", {{"size", sizeText(listLimits.bytes)}});
            break;
        }
        if (fetched.limit == PageLimit::time) {
            if (page == 0) throw SetupError(translated("check.models.interrupted"));
            list.incomplete = translated("check.models.took-too-long",
                                         {{"duration", durationText(listLimits.total)}});
            break;
        }
        bytesLeft -= fetched.bytes;
        ModelListPage read = std::move(fetched.read);
        seen.reserve(list.models.size() + read.models.size());
        // The first page, usually the only one, is taken whole and thinned.
        const std::size_t firstNew = list.models.size();
        if (firstNew == 0) {
            list.models = std::move(read.models);
        } else {
            list.models.insert(list.models.end(), std::make_move_iterator(read.models.begin()),
                               std::make_move_iterator(read.models.end()));
        }
        std::size_t kept = firstNew;
        for (std::size_t index = firstNew; index < list.models.size(); ++index) {
            if (index != kept) list.models[kept] = std::move(list.models[index]);
            if (seen.insert(kept).second) ++kept;
        }
        list.models.resize(kept);
        if (!read.nextAfterId) break;
        // A gateway that names a page it gave before would loop until a limit.
        if (!cursors.insert(*read.nextAfterId).second) {
            list.incomplete = translated("check.models.page-repeated");
            break;
        }
        afterId = std::move(read.nextAfterId);
    }
    return list;
}

}  // namespace corvane
