#include "check/gateway_models.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
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
                      const ModelFound& found) {
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
        page.read = modelListPage(next, found);
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

// The IDs handed over so far, each after its length in one text, found
// through one open-addressed array of their places in it: a hundred thousand
// IDs cost no allocation each and four bytes of array.
class KeptIds {
public:
    // The IDs are read from the listing's bytes, and with their lengths they
    // cannot take twice the room of those: the text never moves, and the room
    // it does not use is never touched, so costs nothing.
    explicit KeptIds(std::size_t listingBytes) { text_.reserve(listingBytes * 2); }

    // False when the ID was kept already.
    bool insert(std::string_view id) {
        if ((count_ + 1) * 2 > slots_.size()) grow();
        std::uint32_t& slot = slotFor(id);
        if (slot != kEmpty) return false;
        // A listing's bytes are bounded far below 4 GiB.
        slot = static_cast<std::uint32_t>(text_.size());
        const auto length = static_cast<std::uint32_t>(id.size());
        text_.append(reinterpret_cast<const char*>(&length), sizeof length);
        text_.append(id);
        ++count_;
        return true;
    }

private:
    static constexpr std::uint32_t kEmpty = UINT32_MAX;

    std::string_view idAt(std::uint32_t place) const {
        std::uint32_t length = 0;
        std::memcpy(&length, text_.data() + place, sizeof length);
        return std::string_view(text_).substr(place + sizeof length, length);
    }

    // The slot holding this ID's place, or the empty one where it would go.
    std::uint32_t& slotFor(std::string_view id) {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t index = std::hash<std::string_view>()(id) & mask;;
             index = (index + 1) & mask) {
            std::uint32_t& slot = slots_[index];
            if (slot == kEmpty || idAt(slot) == id) return slot;
        }
    }

    void grow() {
        const std::vector<std::uint32_t> old = std::exchange(
            slots_,
            std::vector<std::uint32_t>(std::max<std::size_t>(64, slots_.size() * 2), kEmpty));
        for (const std::uint32_t place : old) {
            if (place != kEmpty) slotFor(idAt(place)) = place;
        }
    }

    std::string text_;
    std::vector<std::uint32_t> slots_;
    std::size_t count_ = 0;
};

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

std::optional<std::string> listGatewayModels(const GatewayConnection& connection, Client client,
                                             std::stop_token stop, const CheckLimits& limits,
                                             const ModelListLimits& listLimits,
                                             const TrustStore& trust, const ModelFound& found) {
    const Clock::time_point deadline = Clock::now() + listLimits.total;
    KeptIds kept(listLimits.bytes);
    const ModelFound foundNew = [&kept, &found](const ListedModel& model) {
        if (kept.insert(model.id)) found(model);
    };
    std::set<std::string> cursors;
    std::size_t bytesLeft = listLimits.bytes;
    std::optional<std::string> afterId;
    for (int page = 0;; ++page) {
        if (page == listLimits.pages) {
            return translatedCount("check.models.page-limit", "check.models.page-limit.plural",
                                   static_cast<unsigned long>(listLimits.pages));
        }
        const HttpsRequest request = modelListRequest(connection, client, afterId);
        FetchedPage fetched =
            fetchPage(request, stop, limits, deadline, bytesLeft, trust, foundNew);
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

GatewayModelList gatewayModels(const GatewayConnection& connection, Client client,
                               std::stop_token stop, const CheckLimits& limits,
                               const ModelListLimits& listLimits, const TrustStore& trust) {
    GatewayModelList list;
    list.incomplete = listGatewayModels(
        connection, client, std::move(stop), limits, listLimits, trust,
        [&list](const ListedModel& model) {
            list.models.push_back(
                {.id = std::string(model.id),
                 .name = model.name ? std::optional<std::string>(*model.name) : std::nullopt});
        });
    return list;
}

}  // namespace corvane
