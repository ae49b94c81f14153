#include "check/check_gateway.h"

#include <string_view>

#include "check/check_request.h"
#include "check/stream_lines.h"
#include "check/stream_signal.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "model/text.h"

namespace corvane {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A gateway that streams one endless line must not grow memory without bound.
constexpr std::size_t kMaxLineBytes = std::size_t{1024} * 1024;

std::optional<std::string> statusFailure(long status, std::string_view contentType,
                                         const GatewaySettings::Model& model, Client client) {
    const std::string code = std::to_string(status);
    switch (status) {
        case 400:
        case 404:
        case 422:
            return translated("check.model.http-check-address",
                              {{"model", model.label()}, {"code", code}});
        case 401:
        case 403:
            return translated("check.model.http-check-key",
                              {{"model", model.label()}, {"code", code}});
        case 200: {
            const std::string_view mediaType = contentType.substr(0, contentType.find(';'));
            if (asciiLowercased(trimmed(mediaType)) == "text/event-stream") return std::nullopt;
            return translated("check.model.not-streaming",
                              {{"model", model.label()}, {"client", clientLabel(client)}});
        }
        default:
            return translated("check.model.http-failed",
                              {{"model", model.label()}, {"code", code}});
    }
}

// An "event:" or "data:" field line: what the first-event time waits for.
bool isEventLine(std::string_view line) {
    const std::string field = trimmed(line);
    return field.starts_with("data:") || field.starts_with("event:");
}

// What the receivers of one check share.
struct StreamReading {
    const GatewaySettings::Model* model = nullptr;
    Client client = Client::claude;
    Clock::time_point start;
    ModelCheck found;
    std::optional<std::string> statusMessage;
    StreamSignal verdict = StreamSignal::reading;
    StreamLines lines{kMaxLineBytes};

    milliseconds sinceStart() const {
        return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    }

    bool judge(std::string_view line) {
        if (!found.firstEvent && isEventLine(line)) found.firstEvent = sinceStart();
        verdict = streamSignal(line, client);
        if (verdict == StreamSignal::reading) return true;
        found.terminalEvent = sinceStart();
        return false;
    }
};

ModelCheck failedWith(ModelCheck found, std::string message) {
    found.passed = false;
    found.message = std::move(message);
    return found;
}

ModelCheck verdictOf(StreamReading& reading) {
    if (reading.verdict == StreamSignal::completed) {
        reading.found.passed = true;
        return reading.found;
    }
    return failedWith(reading.found,
                      translated("check.model.stream-error", {{"model", reading.model->label()}}));
}

}  // namespace

ModelCheck checkModel(const GatewaySettings& settings, const GatewaySettings::Model& model,
                      Client client, std::stop_token stop, const CheckLimits& limits,
                      const TrustStore& trust) {
    const HttpsRequest request = checkRequest(settings, model, client);
    StreamReading reading;
    reading.model = &model;
    reading.client = client;
    const HttpsReceiver receiver{
        .head =
            [&](const ResponseHead& head) {
                reading.found.httpStatus = head.status;
                // A rejected response's body is of no interest: end the transfer.
                reading.statusMessage = statusFailure(head.status, head.contentType, model, client);
                return !reading.statusMessage;
            },
        .body =
            [&](std::string_view bytes) {
                // Stop reading at the first verdict.
                return reading.lines.feed(
                    bytes, [&](std::string_view line) { return reading.judge(line); });
            },
        .full = nullptr,
    };
    reading.start = Clock::now();
    const TransferResult result = transferHttps(request, receiver, stop, limits, trust);

    if (reading.statusMessage) return failedWith(reading.found, *reading.statusMessage);
    if (reading.verdict != StreamSignal::reading) return verdictOf(reading);
    reading.found.detail = result.detail;
    switch (result.end) {
        case TransferEnd::notHttp:
            return failedWith(reading.found, translated("check.gateway.not-http"));
        case TransferEnd::outOfTime:
        case TransferEnd::failed:
        case TransferEnd::endedByReceiver:
            if (result.headReceived) {
                return failedWith(reading.found, translated("check.model.stream-interrupted",
                                                            {{"model", model.label()}}));
            }
            return failedWith(reading.found, translated("check.gateway.unreachable"));
        case TransferEnd::complete:
            break;
    }
    reading.lines.finish([&](std::string_view line) { return reading.judge(line); });
    if (reading.verdict != StreamSignal::reading) return verdictOf(reading);
    return failedWith(reading.found,
                      translated("check.model.stream-unfinished",
                                 {{"model", model.label()}, {"client", clientLabel(client)}}));
}

void checkGateway(const GatewaySettings& settings, const GatewaySettings::Model& model,
                  Client client, std::stop_token stop, const CheckLimits& limits,
                  const TrustStore& trust) {
    const ModelCheck found = checkModel(settings, model, client, stop, limits, trust);
    if (!found.passed) throw SetupError(found.message, found.detail);
}

}  // namespace corvane
