#include "check/https_transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

#include "check/trust_store.h"
#include "model/messages.h"
#include "model/text.h"
#include "platform/platform_error.h"

namespace corvane {

namespace {

using Clock = std::chrono::steady_clock;

// Upper bound of one wait for network activity; a stop request wakes it early.
constexpr std::chrono::milliseconds kLongestPoll{1000};

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct HeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// Detaches the easy handle before either handle is cleaned up, as libcurl requires.
class Attachment {
public:
    Attachment(CURLM* multi, CURL* easy) : multi_(multi), easy_(easy) {
        if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
            throw PlatformError(translated("check.transfer.cannot-start"));
        }
    }
    ~Attachment() { curl_multi_remove_handle(multi_, easy_); }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

private:
    CURLM* multi_;
    CURL* easy_;
};

// Everything the callbacks of one transfer share.
struct Exchange {
    CURL* easy = nullptr;
    const HttpsReceiver* receiver = nullptr;
    Clock::time_point lastData;
    std::string contentType;
    bool headReceived = false;
    bool endedByReceiver = false;
    bool paused = false;
    char transferError[CURL_ERROR_SIZE] = {};
};

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && asciiLowercased(text.substr(0, prefix.size())) == prefix;
}

// Header lines, one per call, status line first and an empty line last; the
// head is complete at the empty line of the first non-informational response.
std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    const std::size_t length = size * count;
    exchange.lastData = Clock::now();
    if (exchange.headReceived) return length;  // trailers
    const std::string_view line(data, length);
    if (startsWithIgnoringCase(line, "http/")) {
        exchange.contentType.clear();
    } else if (startsWithIgnoringCase(line, "content-type:")) {
        exchange.contentType = trimmed(line.substr(13));
    } else if (trimmed(line).empty()) {
        long status = 0;
        curl_easy_getinfo(exchange.easy, CURLINFO_RESPONSE_CODE, &status);
        if (status >= 100 && status < 200) return length;
        exchange.headReceived = true;
        ResponseHead head{
            .status = status, .contentType = exchange.contentType, .announcedLength = {}};
        curl_off_t length = -1;
        if (curl_easy_getinfo(exchange.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) ==
                CURLE_OK &&
            length >= 0) {
            head.announcedLength = static_cast<std::uint64_t>(length);
        }
        if (!exchange.receiver->head(head)) {
            exchange.endedByReceiver = true;
            return 0;
        }
    }
    return length;
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    const std::size_t length = size * count;
    exchange.lastData = Clock::now();
    if (exchange.receiver->full && exchange.receiver->full()) {
        exchange.paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (exchange.receiver->body(std::string_view(data, length))) return length;
    exchange.endedByReceiver = true;
    return 0;
}

void setTrustStore(CURL* easy, const TrustStore& store) {
    if (store.file || store.folder) {
        curl_easy_setopt(easy, CURLOPT_CAINFO, store.file ? store.file->c_str() : nullptr);
        curl_easy_setopt(easy, CURLOPT_CAPATH, store.folder ? store.folder->c_str() : nullptr);
        return;
    }
    if (!store.systemCertificates) return;
    // The system's certificates replace libcurl's default bundle and folder.
    curl_blob blob{};
    blob.data = const_cast<char*>(store.systemCertificates->data());
    blob.len = store.systemCertificates->size();
    blob.flags = CURL_BLOB_COPY;
    curl_easy_setopt(easy, CURLOPT_CAINFO, nullptr);
    curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
    if (curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob) != CURLE_OK) {
        throw PlatformError(translated("check.transfer.system-certificates-refused"));
    }
}

void configure(CURL* easy, const HttpsRequest& request, curl_slist* headers, Exchange& exchange,
               const TrustStore& trust) {
    curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
#else
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTPS));
#endif
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    setTrustStore(easy, trust);
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (request.postBody) {
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.postBody->data());
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.postBody->size()));
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &exchange);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &exchange);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, exchange.transferError);
}

std::unique_ptr<curl_slist, HeaderListDeleter> headerList(const HttpsRequest& request) {
    std::unique_ptr<curl_slist, HeaderListDeleter> list;
    for (const std::string& header : request.headers) {
        curl_slist* extended = curl_slist_append(list.get(), header.c_str());
        if (extended == nullptr) throw PlatformError(translated("check.transfer.cannot-build"));
        // The extended list holds the old one: hand it over without freeing it.
        static_cast<void>(list.release());
        list.reset(extended);
    }
    return list;
}

}  // namespace

struct HttpsTransfer::State {
    State(const HttpsRequest& request, const HttpsReceiver& receiver, std::stop_token stopToken,
          const CheckLimits& checkLimits)
        : headers(headerList(request)),
          easy(curl_easy_init()),
          multi(curl_multi_init()),
          stop(std::move(stopToken)),
          limits(checkLimits) {
        exchange.easy = easy.get();
        exchange.receiver = &receiver;
    }

    std::unique_ptr<curl_slist, HeaderListDeleter> headers;
    std::unique_ptr<CURL, EasyDeleter> easy;
    std::unique_ptr<CURLM, MultiDeleter> multi;
    Exchange exchange;
    std::stop_token stop;
    CheckLimits limits;
    Clock::time_point start;
    bool ended = false;
    bool outOfTime = false;
    bool transportFailed = false;
    // After the handles, so that both are gone before the handles are cleaned up.
    std::optional<Attachment> attachment;
    std::optional<std::stop_callback<std::function<void()>>> wake;
};

HttpsTransfer::HttpsTransfer(const HttpsRequest& request, const HttpsReceiver& receiver,
                             std::stop_token stop, const CheckLimits& limits,
                             const TrustStore& trust) {
    if (stop.stop_requested()) throw OperationCancelled();
    state_ = std::make_unique<State>(request, receiver, std::move(stop), limits);
    State& state = *state_;
    if (!state.easy || !state.multi) throw PlatformError(translated("check.transfer.cannot-start"));
    configure(state.easy.get(), request, state.headers.get(), state.exchange, trust);
    state.start = Clock::now();
    state.exchange.lastData = state.start;
    state.attachment.emplace(state.multi.get(), state.easy.get());
    state.wake.emplace(state.stop, [multi = state.multi.get()] { curl_multi_wakeup(multi); });
}

HttpsTransfer::~HttpsTransfer() = default;

bool HttpsTransfer::advance() {
    State& state = *state_;
    if (state.ended) return false;
    // libcurl hands the bytes it held back while unpausing.
    if (state.exchange.paused) {
        state.exchange.paused = false;
        curl_easy_pause(state.easy.get(), CURLPAUSE_CONT);
    }
    int running = 0;
    if (curl_multi_perform(state.multi.get(), &running) != CURLM_OK) {
        state.transportFailed = true;
        state.ended = true;
    } else if (state.exchange.endedByReceiver || running == 0) {
        state.ended = true;
    } else if (!state.exchange.paused && !state.stop.stop_requested()) {
        // A paused transfer has bytes waiting for its reader, so no wait.
        const Clock::time_point now = Clock::now();
        const auto idleLeft = state.exchange.lastData + state.limits.idle - now;
        const auto totalLeft = state.start + state.limits.total - now;
        if (idleLeft <= Clock::duration::zero() || totalLeft <= Clock::duration::zero()) {
            state.outOfTime = true;
            state.ended = true;
        } else {
            const auto wait =
                std::min({std::chrono::ceil<std::chrono::milliseconds>(idleLeft),
                          std::chrono::ceil<std::chrono::milliseconds>(totalLeft), kLongestPoll});
            curl_multi_poll(state.multi.get(), nullptr, 0, static_cast<int>(wait.count()), nullptr);
        }
    }
    if (state.stop.stop_requested()) throw OperationCancelled();
    return !state.ended;
}

TransferResult HttpsTransfer::result() const {
    const State& state = *state_;
    const Exchange& exchange = state.exchange;
    TransferResult result;
    result.headReceived = exchange.headReceived;
    if (exchange.endedByReceiver) {
        result.end = TransferEnd::endedByReceiver;
        return result;
    }
    CURLcode code = CURLE_OK;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(state.multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE) code = message->data.result;
    }
    if (state.outOfTime) {
        result.end = TransferEnd::outOfTime;
        result.detail = translated("check.transfer.nothing-in-time");
    } else if (state.transportFailed || code != CURLE_OK) {
        // libcurl's own words for why the transfer ended early; they may
        // repeat a proxy's address with its password.
        result.detail = withoutProxyCredentials(
            exchange.transferError[0] != '\0' ? exchange.transferError
            : code != CURLE_OK                ? curl_easy_strerror(code)
                                              : translated("check.transfer.could-not-go-on"));
        // A garbled status line or HTTP/0.9: something answered, but not with HTTP.
        const bool garbled = code == CURLE_WEIRD_SERVER_REPLY || code == CURLE_UNSUPPORTED_PROTOCOL;
        result.end = garbled && !exchange.headReceived ? TransferEnd::notHttp : TransferEnd::failed;
    } else {
        result.end = exchange.headReceived ? TransferEnd::complete : TransferEnd::notHttp;
    }
    return result;
}

TransferResult transferHttps(const HttpsRequest& request, const HttpsReceiver& receiver,
                             std::stop_token stop, const CheckLimits& limits,
                             const TrustStore& trust) {
    HttpsTransfer transfer(request, receiver, std::move(stop), limits, trust);
    while (transfer.advance()) {
    }
    return transfer.result();
}

}  // namespace corvane
