#include "check/check_gateway.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "check/check_request.h"
#include "check/stream_lines.h"
#include "check/stream_signal.h"
#include "model/setup_error.h"
#include "model/text.h"
#include "platform/platform_error.h"

namespace corvane {

namespace {

using Clock = std::chrono::steady_clock;

// A gateway that streams one endless line must not grow memory without bound.
constexpr std::size_t kMaxLineBytes = std::size_t{1024} * 1024;

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
            throw PlatformError("cannot start the test request");
        }
    }
    ~Attachment() { curl_multi_remove_handle(multi_, easy_); }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

private:
    CURLM* multi_;
    CURL* easy_;
};

std::string cannotConnect() { return "无法连接模型接口。请检查地址和网络后重试。"; }

std::string quoted(const GatewaySettings::Model& model) { return "「" + model.label() + "」"; }

std::optional<std::string> statusFailure(long status, std::string_view contentType,
                                         const GatewaySettings::Model& model, Client client) {
    const std::string code = std::to_string(status);
    switch (status) {
        case 400:
        case 404:
        case 422:
            return quoted(model) + "返回 HTTP " + code + "。请核对接口地址、协议和 Model ID。";
        case 401:
        case 403:
            return quoted(model) + "返回 HTTP " + code + "。请核对 Key、认证方式和模型权限。";
        case 200: {
            const std::string_view mediaType = contentType.substr(0, contentType.find(';'));
            if (asciiLowercased(trimmed(mediaType)) == "text/event-stream") return std::nullopt;
            return quoted(model) + "未返回 " + std::string(rawValue(client)) + " 所需的流式响应。";
        }
        default:
            return quoted(model) + "返回 HTTP " + code + "，配置未应用。";
    }
}

// Everything the callbacks of one transfer share.
struct Exchange {
    CURL* easy = nullptr;
    const GatewaySettings::Model* model = nullptr;
    Client client = Client::claude;
    Clock::time_point lastData;
    std::string contentType;
    bool headReceived = false;
    std::optional<std::string> statusMessage;
    StreamSignal verdict = StreamSignal::reading;
    StreamLines lines{kMaxLineBytes};
    char transferError[CURL_ERROR_SIZE] = {};

    bool judge(std::string_view line) {
        verdict = streamSignal(line, client);
        return verdict == StreamSignal::reading;
    }
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
        exchange.statusMessage =
            statusFailure(status, exchange.contentType, *exchange.model, exchange.client);
        // A rejected response's body is of no interest: end the transfer.
        if (exchange.statusMessage) return 0;
    }
    return length;
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    const std::size_t length = size * count;
    exchange.lastData = Clock::now();
    const bool undecided =
        exchange.lines.feed(std::string_view(data, length),
                            [&](std::string_view line) { return exchange.judge(line); });
    // Stop reading at the first verdict.
    return undecided ? length : 0;
}

void setTrustStore(CURL* easy) {
    // As OpenSSL-based tools do: a bundle or folder named in the environment
    // replaces the system's trust store (enterprise CAs, local test gateways).
    const char* file = std::getenv("SSL_CERT_FILE");
    const char* folder = std::getenv("SSL_CERT_DIR");
    const bool hasFile = file != nullptr && *file != '\0';
    const bool hasFolder = folder != nullptr && *folder != '\0';
    if (!hasFile && !hasFolder) return;
    curl_easy_setopt(easy, CURLOPT_CAINFO, hasFile ? file : nullptr);
    curl_easy_setopt(easy, CURLOPT_CAPATH, hasFolder ? folder : nullptr);
}

void configure(CURL* easy, const CheckRequest& request, curl_slist* headers, Exchange& exchange) {
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
    setTrustStore(easy);
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.data());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.body.size()));
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &exchange);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &exchange);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, exchange.transferError);
}

// libcurl's own words for why a transfer ended early.
std::string transferDetail(const Exchange& exchange, CURLcode result, bool outOfTime) {
    if (outOfTime) return "the gateway sent nothing in time";
    if (exchange.transferError[0] != '\0') return exchange.transferError;
    if (result == CURLE_OK) return "the transfer could not go on";
    return curl_easy_strerror(result);
}

std::unique_ptr<curl_slist, HeaderListDeleter> headerList(const CheckRequest& request) {
    std::unique_ptr<curl_slist, HeaderListDeleter> list;
    for (const std::string& header : request.headers) {
        curl_slist* extended = curl_slist_append(list.get(), header.c_str());
        if (extended == nullptr) throw PlatformError("cannot build the test request");
        // The extended list holds the old one: hand it over without freeing it.
        static_cast<void>(list.release());
        list.reset(extended);
    }
    return list;
}

}  // namespace

void checkGateway(const GatewaySettings& settings, const GatewaySettings::Model& model,
                  Client client, std::stop_token stop, const CheckLimits& limits) {
    if (stop.stop_requested()) throw OperationCancelled();
    const CheckRequest request = checkRequest(settings, model, client);
    const auto headers = headerList(request);
    const std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    const std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!easy || !multi) throw PlatformError("cannot start the test request");

    Exchange exchange;
    exchange.easy = easy.get();
    exchange.model = &model;
    exchange.client = client;
    configure(easy.get(), request, headers.get(), exchange);

    const Clock::time_point start = Clock::now();
    exchange.lastData = start;
    const Attachment attachment(multi.get(), easy.get());
    // Declared after the handles so that it is gone before they are cleaned up.
    const std::stop_callback wake(stop, [&multi] { curl_multi_wakeup(multi.get()); });

    bool outOfTime = false;
    bool transportFailed = false;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            transportFailed = true;
            break;
        }
        if (exchange.statusMessage || exchange.verdict != StreamSignal::reading) break;
        if (running == 0) break;
        if (stop.stop_requested()) throw OperationCancelled();
        const Clock::time_point now = Clock::now();
        const auto idleLeft = exchange.lastData + limits.idle - now;
        const auto totalLeft = start + limits.total - now;
        if (idleLeft <= Clock::duration::zero() || totalLeft <= Clock::duration::zero()) {
            outOfTime = true;
            break;
        }
        const auto wait =
            std::min({std::chrono::ceil<std::chrono::milliseconds>(idleLeft),
                      std::chrono::ceil<std::chrono::milliseconds>(totalLeft), kLongestPoll});
        curl_multi_poll(multi.get(), nullptr, 0, static_cast<int>(wait.count()), nullptr);
    }
    if (stop.stop_requested()) throw OperationCancelled();

    if (exchange.statusMessage) throw SetupError(*exchange.statusMessage);
    if (exchange.verdict == StreamSignal::completed) return;
    if (exchange.verdict == StreamSignal::failed) {
        throw SetupError(quoted(model) + "的流式响应返回错误。");
    }

    CURLcode result = CURLE_OK;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE) result = message->data.result;
    }
    if (outOfTime || transportFailed || result != CURLE_OK) {
        const std::string detail = transferDetail(exchange, result, outOfTime);
        if (exchange.headReceived) {
            throw SetupError(quoted(model) + "的流式测试中断，请稍后重试。", detail);
        }
        // Something answered, but not with HTTP (a garbled status line, HTTP/0.9).
        if (result == CURLE_WEIRD_SERVER_REPLY || result == CURLE_UNSUPPORTED_PROTOCOL) {
            throw SetupError("接口未返回有效的 HTTP 响应。", detail);
        }
        throw SetupError(cannotConnect(), detail);
    }
    if (!exchange.headReceived) throw SetupError("接口未返回有效的 HTTP 响应。");
    exchange.lines.finish([&](std::string_view line) { return exchange.judge(line); });
    if (exchange.verdict == StreamSignal::completed) return;
    if (exchange.verdict == StreamSignal::failed) {
        throw SetupError(quoted(model) + "的流式响应返回错误。");
    }
    throw SetupError(quoted(model) + "没有完成 " + std::string(rawValue(client)) + " 的流式测试。");
}

}  // namespace corvane
