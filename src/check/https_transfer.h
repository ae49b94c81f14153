#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "check/trust_store.h"

namespace corvane {

// How long a request to the gateway may take: `idle` without any data
// arriving, `total` for the whole exchange.
struct CheckLimits {
    std::chrono::milliseconds idle{12000};
    std::chrono::milliseconds total{20000};
};

struct HttpsRequest {
    std::string url;
    // "Name: value" lines in sending order. One carries the key: never log them.
    std::vector<std::string> headers;
    // Sent with POST; nothing: a GET.
    std::optional<std::string> postBody;
};

// The head of the final (non-informational) response.
struct ResponseHead {
    long status = 0;
    std::string_view contentType;
    // What Content-Length announces; a gateway may send less, or lie.
    std::optional<std::uint64_t> announcedLength;
};

// What the exchange hands over as it arrives. Either returning false ends the
// transfer at once.
struct HttpsReceiver {
    std::function<bool(const ResponseHead& head)> head;
    std::function<bool(std::string_view bytes)> body;
    // When set and true, the body's next bytes wait for the next advance() of
    // an HttpsTransfer, so that a reader is not handed more than it can hold.
    std::function<bool()> full;
};

enum class TransferEnd {
    complete,         // the body ended normally
    endedByReceiver,  // a receiver returned false
    outOfTime,        // one of the limits ran out
    failed,           // no connection, TLS refused, or the connection broke
    notHttp,          // something answered, but not with HTTP
};

struct TransferResult {
    TransferEnd end = TransferEnd::failed;
    bool headReceived = false;
    // Why a transfer that failed or ran out of time ended, in libcurl's words.
    std::string detail;
};

// One exchange over a connection of its own, as every request to the gateway
// is made: HTTPS only, the peer verified against `trust`, proxies taken from
// the environment, redirects never followed, so the key reaches only the named
// host. `detail` never holds a proxy's password. Throws OperationCancelled
// when a stop is requested.
TransferResult transferHttps(const HttpsRequest& request, const HttpsReceiver& receiver,
                             std::stop_token stop, const CheckLimits& limits,
                             const TrustStore& trust);

// The same exchange, advanced by its caller, so that a reader can take the
// body as it arrives instead of holding all of it: each advance() waits for
// network activity and hands what came to the receiver. The request and the
// receiver must outlive it.
class HttpsTransfer {
public:
    HttpsTransfer(const HttpsRequest& request, const HttpsReceiver& receiver, std::stop_token stop,
                  const CheckLimits& limits, const TrustStore& trust);
    ~HttpsTransfer();
    HttpsTransfer(const HttpsTransfer&) = delete;
    HttpsTransfer& operator=(const HttpsTransfer&) = delete;

    // False once the exchange has ended. Throws OperationCancelled when a stop
    // is requested.
    bool advance();
    // How the exchange ended, once advance() has returned false.
    TransferResult result() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace corvane
