#pragma once

// A local HTTPS gateway for tests, answering from a script.
//
// In a test:
//     GatewayReply reply;
//     reply.chunks = {{"data: [DONE]\n"}};
//     TestGateway gateway({reply});
//     TempHome home;  // or any other way of setting the variable
//     home.setEnvironment("SSL_CERT_FILE", gateway.caFile().string());
//     ... send to gateway.address() ("https://127.0.0.1:<port>") ...
//     gateway.requests()  // what arrived: method, path, headers, body
//
// Each request takes the next reply of the script; the last reply answers every
// request after it. The certificate is made afresh for each gateway.
//
// From a shell script or another program, start the test-gateway tool
// (tests/tools/test-gateway; its path is CORVANE_TEST_GATEWAY_PROGRAM in tests):
//     corvane-test-gateway --script script.json --record requests.jsonl > ready.txt &
// Once ready it prints "port=<port>" and "ca=<CA file>" on two lines of
// standard output; it stops on SIGINT or SIGTERM. The script file holds
//     {"replies": [{"status": 200, "contentType": "text/event-stream",
//                   "chunks": [{"data": "data: [DONE]\n", "delayMs": 0}],
//                   "body": "used when there are no chunks",
//                   "location": "https://elsewhere.example/", "headDelayMs": 0,
//                   "drop": false}]}
// (every member optional) and each request is appended to the record file as
// one JSON line {"method", "path", "headers": {name: value}, "body"}.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvane::testing {

struct GatewayChunk {
    std::string data;
    std::chrono::milliseconds delay{0};  // waited before the chunk is sent
};

struct GatewayReply {
    int status = 200;
    std::string contentType = "text/event-stream";  // empty: no Content-Type header
    std::vector<GatewayChunk> chunks;               // none: an empty body
    std::string location;                           // sent as Location when not empty
    std::chrono::milliseconds headDelay{0};         // waited before the status line
    bool drop = false;  // close the connection after the chunks instead of ending the body

    static GatewayReply fromJson(const nlohmann::json& reply);
};

struct RecordedRequest {
    std::string method;
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string target;  // the path as sent, with its query

    // The value of a header, matched without regard to case.
    std::optional<std::string> header(std::string_view name) const;
    nlohmann::json json() const;
};

class TestGateway {
public:
    using RequestObserver = std::function<void(const RecordedRequest&)>;

    explicit TestGateway(std::vector<GatewayReply> script = {GatewayReply{}},
                         RequestObserver observer = nullptr);
    ~TestGateway();
    TestGateway(const TestGateway&) = delete;
    TestGateway& operator=(const TestGateway&) = delete;

    int port() const;
    std::string address() const;
    std::filesystem::path caFile() const;

    // Replaces the replies still to come.
    void setScript(std::vector<GatewayReply> script);
    std::vector<RecordedRequest> requests() const;

private:
    class Server;
    std::unique_ptr<Server> server_;
};

// One server-sent event: an optional "event:" line, a "data:" line, a blank line.
std::string sseEvent(std::string_view data, std::string_view event = {});

}  // namespace corvane::testing
