#include "check/check_gateway.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "model/setup_error.h"
#include "platform/platform_error.h"
#include "support/catalogue_text.h"
#include "support/temp_home.h"
#include "support/test_gateway.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::GatewayChunk;
using testing::GatewayReply;
using testing::TestGateway;

constexpr const char* kKey = "sk-corvane-TEST-9f3a7c";

GatewayReply streamOf(std::vector<std::string> chunks,
                      std::string contentType = "text/event-stream") {
    GatewayReply reply;
    reply.contentType = std::move(contentType);
    for (std::string& chunk : chunks) reply.chunks.push_back({std::move(chunk)});
    return reply;
}

GatewayReply statusOnly(int status, std::string contentType = "application/json") {
    GatewayReply reply;
    reply.status = status;
    reply.contentType = std::move(contentType);
    reply.chunks.push_back({R"({"error":{"message":"nope"}})"});
    return reply;
}

const std::string kChatDone = "data: {\"choices\":[]}\n\ndata: [DONE]\n\n";

class CheckGatewayTest : public ::testing::Test {
protected:
    CheckGatewayTest() {
        home_.setEnvironment("SSL_CERT_FILE", gateway_.caFile().string());
        home_.setEnvironment("SSL_CERT_DIR", std::nullopt);
        home_.setEnvironment("no_proxy", "127.0.0.1,localhost");
        home_.setEnvironment("NO_PROXY", "127.0.0.1,localhost");
    }

    GatewaySettings settings(Client client, std::string auth = "bearer",
                             std::string model = "gpt-test", std::string label = "",
                             std::string pathSuffix = "") {
        return GatewaySettings(gateway_.address() + pathSuffix, kKey, auth, {{model, label}},
                               client);
    }

    // Runs the check and returns its failure text ("" on success). No text may
    // ever carry the key.
    std::string failureOf(const GatewaySettings& settings, Client client,
                          const CheckLimits& limits = {}) {
        try {
            checkGateway(settings, settings.inferenceModels().front(), client, {}, limits);
            return "";
        } catch (const SetupError& error) {
            EXPECT_EQ(error.text().find(kKey), std::string::npos) << error.text();
            EXPECT_EQ(error.detail().find(kKey), std::string::npos) << error.detail();
            detail_ = error.detail();
            return error.text();
        }
    }

    std::string failureWith(GatewayReply reply, Client client = Client::openCode,
                            const CheckLimits& limits = {}) {
        gateway_.setScript({std::move(reply)});
        return failureOf(settings(client, "bearer", client == Client::claude ? "claude-x" : "m"),
                         client, limits);
    }

    TestGateway gateway_;
    testing::TempHome home_;
    std::string detail_;  // of the last failure
};

TEST_F(CheckGatewayTest, JudgesTheStatusCode) {
    struct StatusCase {
        int status;
        std::string expected;
    };
    const std::vector<StatusCase> cases = {
        {400,
         testing::zh("check.model.http-check-address", {{"model", "Sonnet"}, {"code", "400"}})},
        {404,
         testing::zh("check.model.http-check-address", {{"model", "Sonnet"}, {"code", "404"}})},
        {422,
         testing::zh("check.model.http-check-address", {{"model", "Sonnet"}, {"code", "422"}})},
        {401, testing::zh("check.model.http-check-key", {{"model", "Sonnet"}, {"code", "401"}})},
        {403, testing::zh("check.model.http-check-key", {{"model", "Sonnet"}, {"code", "403"}})},
        {429, testing::zh("check.model.http-failed", {{"model", "Sonnet"}, {"code", "429"}})},
        {500, testing::zh("check.model.http-failed", {{"model", "Sonnet"}, {"code", "500"}})},
        {201, testing::zh("check.model.http-failed", {{"model", "Sonnet"}, {"code", "201"}})},
        {204, testing::zh("check.model.http-failed", {{"model", "Sonnet"}, {"code", "204"}})},
    };
    const GatewaySettings claude =
        settings(Client::claude, "x-api-key", "claude-sonnet-test", "Sonnet");
    for (const StatusCase& c : cases) {
        // Even an event stream that would pass must not rescue a wrong status.
        GatewayReply reply = statusOnly(c.status, "text/event-stream");
        reply.chunks = {{"event: message_stop\n\n"}};
        gateway_.setScript({reply});
        EXPECT_EQ(failureOf(claude, Client::claude), c.expected) << c.status;
    }
}

TEST_F(CheckGatewayTest, RequiresAnEventStreamMediaTypeOnSuccess) {
    EXPECT_EQ(
        failureWith(streamOf({kChatDone}, "application/json")),
        testing::zh("check.model.not-streaming", {{"model", "m"}, {"client", "OpenCode Desktop"}}));
    EXPECT_EQ(
        failureWith(streamOf({kChatDone}, "")),
        testing::zh("check.model.not-streaming", {{"model", "m"}, {"client", "OpenCode Desktop"}}));
    EXPECT_EQ(
        failureWith(streamOf({kChatDone}, "text/event-streaming")),
        testing::zh("check.model.not-streaming", {{"model", "m"}, {"client", "OpenCode Desktop"}}));
    EXPECT_EQ(failureWith(streamOf({kChatDone}, "Text/Event-Stream; charset=utf-8")), "");
    EXPECT_EQ(failureWith(streamOf({kChatDone}, "text/event-stream ;charset=UTF-8")), "");
}

TEST_F(CheckGatewayTest, NeverFollowsARedirect) {
    TestGateway elsewhere({streamOf({kChatDone})});
    GatewayReply redirect = statusOnly(302, "text/plain");
    redirect.location = elsewhere.address() + "/v1/chat/completions";
    EXPECT_EQ(failureWith(redirect),
              testing::zh("check.model.http-failed", {{"model", "m"}, {"code", "302"}}));
    EXPECT_TRUE(elsewhere.requests().empty());
    EXPECT_EQ(gateway_.requests().size(), 1u);
}

TEST_F(CheckGatewayTest, SendsEachClientsRequest) {
    struct RequestCase {
        Client client;
        std::string auth;
        std::string model;
        std::string stream;
        std::string path;
        nlohmann::json body;
    };
    const nlohmann::json oneMessage = nlohmann::json::array({{{"role", "user"}, {"content", "1"}}});
    const nlohmann::json chatBody = {
        {"model", "gpt-x"}, {"max_tokens", 1}, {"stream", true}, {"messages", oneMessage}};
    const std::vector<RequestCase> cases = {
        {Client::claude,
         "x-api-key",
         "claude-sonnet",
         "event: message_start\ndata: {}\n\nevent: message_stop\ndata: {}\n\n",
         "/api/v1/messages",
         {{"model", "claude-sonnet"},
          {"max_tokens", 1},
          {"stream", true},
          {"messages", oneMessage}}},
        {Client::claude,
         "bearer",
         "claude-sonnet",
         "event: message_stop\n\n",
         "/api/v1/messages",
         {{"model", "claude-sonnet"},
          {"max_tokens", 1},
          {"stream", true},
          {"messages", oneMessage}}},
        {Client::codex,
         "bearer",
         "gpt-5",
         "data: {\"type\":\"response.created\"}\n\ndata: {\"type\":\"response.completed\"}\n\n",
         "/api/v1/responses",
         {{"model", "gpt-5"},
          {"input", "1"},
          {"max_output_tokens", 16},
          {"stream", true},
          {"store", false}}},
        {Client::codex,
         "x-api-key",
         "gpt-5",
         "event: response.incomplete\r\ndata: {\"type\":\"response.incomplete\",\"response\":"
         "{\"incomplete_details\":{\"reason\":\"max_output_tokens\"}}}\r\n\r\n",
         "/api/v1/responses",
         {{"model", "gpt-5"},
          {"input", "1"},
          {"max_output_tokens", 16},
          {"stream", true},
          {"store", false}}},
        {Client::workBuddy,
         "bearer",
         "gpt-x",
         kChatDone,
         "/api/v1/chat/completions",
         {{"model", "gpt-x"},
          {"max_tokens", 32},
          {"stream", true},
          {"messages", nlohmann::json::array({{{"role", "user"}, {"content", "Reply with 1."}}})},
          {"tools", nlohmann::json::array({{{"type", "function"},
                                            {"function",
                                             {{"name", "connection_check"},
                                              {"parameters",
                                               {{"type", "object"},
                                                {"properties", nlohmann::json::object()}}}}}}})}}},
        {Client::openCode, "x-api-key", "gpt-x", "data:[DONE]\r", "/api/v1/chat/completions",
         chatBody},
        {Client::openClaw, "bearer", "gpt-x", kChatDone, "/api/v1/chat/completions", chatBody},
        {Client::hermes, "bearer", "gpt-x", kChatDone, "/api/v1/chat/completions", chatBody},
        {Client::cursor, "bearer", "gpt-x", kChatDone, "/api/v1/chat/completions", chatBody},
    };
    for (const RequestCase& c : cases) {
        SCOPED_TRACE(std::string(rawValue(c.client)) + " " + c.auth);
        gateway_.setScript({streamOf({c.stream})});
        const std::size_t before = gateway_.requests().size();
        // Requested by the model ID, whatever the display name.
        EXPECT_EQ(failureOf(settings(c.client, c.auth, c.model, "Shown Name", "/api/"), c.client),
                  "");
        const auto requests = gateway_.requests();
        ASSERT_EQ(requests.size(), before + 1);
        const testing::RecordedRequest& request = requests.back();
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.path, c.path);
        EXPECT_EQ(nlohmann::json::parse(request.body), c.body);
        EXPECT_EQ(request.header("Content-Type"), "application/json");
        EXPECT_EQ(request.header("Accept"), "text/event-stream");
        const bool claude = c.client == Client::claude;
        EXPECT_EQ(request.header("anthropic-version"),
                  claude ? std::optional<std::string>("2023-06-01") : std::nullopt);
        EXPECT_EQ(request.header("anthropic-beta"),
                  claude ? std::optional<std::string>("prompt-caching-2024-07-31") : std::nullopt);
        if (c.auth == "x-api-key") {
            EXPECT_EQ(request.header("x-api-key"), kKey);
            EXPECT_EQ(request.header("Authorization"), std::nullopt);
        } else {
            EXPECT_EQ(request.header("Authorization"), std::string("Bearer ") + kKey);
            EXPECT_EQ(request.header("x-api-key"), std::nullopt);
        }
        EXPECT_EQ(request.header("Cookie"), std::nullopt);
    }
}

TEST_F(CheckGatewayTest, FailsOnEachProtocolsErrorEvent) {
    struct ErrorCase {
        Client client;
        std::string stream;
    };
    const std::vector<ErrorCase> cases = {
        {Client::claude, "event: message_start\n\nevent: error\ndata: {\"type\":\"error\"}\n\n"},
        {Client::claude, "data: {\"error\":{\"type\":\"overloaded_error\"}}\n\n"},
        {Client::codex, "data: {\"type\":\"response.failed\"}\n\n"},
        {Client::codex,
         "data: {\"type\":\"response.incomplete\",\"response\":{\"incomplete_details\":"
         "{\"reason\":\"content_filter\"}}}\n\n"},
        {Client::openCode, "data: {\"error\":{\"message\":\"bad model\"}}\n\ndata: [DONE]\n\n"},
        {Client::workBuddy, "event: error\n\n"},
    };
    for (const ErrorCase& c : cases) {
        EXPECT_EQ(failureWith(streamOf({c.stream}), c.client),
                  testing::zh("check.model.stream-error",
                              {{"model", c.client == Client::claude ? "claude-x" : "m"}}))
            << c.stream;
    }
}

TEST_F(CheckGatewayTest, StopsReadingAtTheFirstVerdict) {
    GatewayReply reply = streamOf({kChatDone});
    // Anything after the verdict, even a long wait, is never read.
    reply.chunks.push_back({"data: {\"error\":\"late\"}\n\n", 30s});
    EXPECT_EQ(failureWith(reply, Client::openCode, {.idle = 10s, .total = 15s}), "");
}

TEST_F(CheckGatewayTest, FailsWhenTheStreamEndsWithoutAVerdict) {
    EXPECT_EQ(failureWith(streamOf({})),
              testing::zh("check.model.stream-unfinished",
                          {{"model", "m"}, {"client", "OpenCode Desktop"}}));
    EXPECT_EQ(failureWith(streamOf({"data: {\"choices\":[]}\n\n"})),
              testing::zh("check.model.stream-unfinished",
                          {{"model", "m"}, {"client", "OpenCode Desktop"}}));
    // [DONE] does not end an Anthropic stream.
    EXPECT_EQ(failureWith(streamOf({"data: [DONE]\n\n"}), Client::claude),
              testing::zh("check.model.stream-unfinished",
                          {{"model", "claude-x"}, {"client", "Claude"}}));
    // A last line without a line break still counts.
    EXPECT_EQ(failureWith(streamOf({"data: {}\n\ndata: [DONE]"})), "");
}

TEST_F(CheckGatewayTest, DropsLinesLongerThanOneMebibyte) {
    const std::string padding(1024 * 1024 + 16, ' ');
    // Trimmed, this line would be [DONE]; being too long it decides nothing.
    EXPECT_EQ(failureWith(streamOf({"data: [DONE]" + padding + "\n"})),
              testing::zh("check.model.stream-unfinished",
                          {{"model", "m"}, {"client", "OpenCode Desktop"}}));
    EXPECT_EQ(
        failureWith(streamOf({"data: " + std::string(2 * 1024 * 1024, 'x'), "\ndata: [DONE]\n"})),
        "");
}

TEST_F(CheckGatewayTest, ReportsABrokenStreamAsInterrupted) {
    GatewayReply dropped = streamOf({"data: {\"choices\":[]}\n\n"});
    dropped.drop = true;
    EXPECT_EQ(failureWith(dropped),
              testing::zh("check.model.stream-interrupted", {{"model", "m"}}));

    GatewayReply silent = streamOf({"data: {}\n\n"});
    silent.chunks.push_back({kChatDone, 10s});
    EXPECT_EQ(failureWith(silent, Client::openCode, {.idle = 300ms, .total = 20s}),
              testing::zh("check.model.stream-interrupted", {{"model", "m"}}));

    // Data keeps arriving, but the whole exchange takes too long.
    GatewayReply trickle = streamOf({});
    for (int i = 0; i < 60; ++i) trickle.chunks.push_back({": keep-alive\n", 100ms});
    trickle.chunks.push_back({kChatDone});
    EXPECT_EQ(failureWith(trickle, Client::openCode, {.idle = 2s, .total = 800ms}),
              testing::zh("check.model.stream-interrupted", {{"model", "m"}}));
}

TEST_F(CheckGatewayTest, ReportsNoResponseHeadAsCannotConnect) {
    const std::string cannotConnect = testing::zh("check.gateway.unreachable");

    GatewayReply late = streamOf({kChatDone});
    late.headDelay = 10s;
    EXPECT_EQ(failureWith(late, Client::openCode, {.idle = 300ms, .total = 20s}), cannotConnect);
    EXPECT_EQ(detail_, testing::zh("check.transfer.nothing-in-time"));

    // A certificate from an unknown authority is refused.
    TestGateway stranger({streamOf({kChatDone})});
    home_.setEnvironment("SSL_CERT_FILE", stranger.caFile().string());
    EXPECT_EQ(failureWith(streamOf({kChatDone})), testing::zh("check.gateway.unreachable"));
    home_.setEnvironment("SSL_CERT_FILE", gateway_.caFile().string());

    // A port nobody listens on.
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length), 0);
    close(probe);
    const GatewaySettings closed("https://127.0.0.1:" + std::to_string(ntohs(address.sin_port)),
                                 kKey, "bearer", {{"m", ""}}, Client::openCode);
    EXPECT_EQ(failureOf(closed, Client::openCode), cannotConnect);
    // libcurl's own words name the port.
    EXPECT_NE(detail_.find(std::to_string(ntohs(address.sin_port))), std::string::npos) << detail_;
}

TEST_F(CheckGatewayTest, ReportsAnAnswerThatIsNotHttp) {
    EXPECT_EQ(failureWith(statusOnly(1000)), testing::zh("check.gateway.not-http"));
}

TEST_F(CheckGatewayTest, EndsPromptlyWithCancellationOnAStopRequest) {
    GatewayReply late = streamOf({kChatDone});
    late.headDelay = 30s;
    GatewayReply silent = streamOf({"data: {}\n\n"});
    silent.chunks.push_back({kChatDone, 30s});
    const GatewaySettings chat = settings(Client::openCode);
    for (const GatewayReply& reply : {late, silent}) {
        gateway_.setScript({reply});
        std::stop_source stop;
        std::jthread stopper([&stop] {
            std::this_thread::sleep_for(300ms);
            stop.request_stop();
        });
        // Were the stop not honoured promptly, the idle limit would end the
        // check with a SetupError instead.
        EXPECT_THROW(checkGateway(chat, chat.inferenceModels().front(), Client::openCode,
                                  stop.get_token(), {.idle = 5s, .total = 20s}),
                     OperationCancelled);
    }

    std::stop_source stopped;
    stopped.request_stop();
    const std::size_t before = gateway_.requests().size();
    EXPECT_THROW(
        checkGateway(chat, chat.inferenceModels().front(), Client::openCode, stopped.get_token()),
        OperationCancelled);
    EXPECT_EQ(gateway_.requests().size(), before);
}

TEST_F(CheckGatewayTest, KeepsTheKeyOutOfEveryMessageEvenWhenTheGatewayEchoesIt) {
    const std::string echoed = std::string("{\"error\":\"bad key ") + kKey + "\"}";
    GatewayReply unauthorised = statusOnly(401);
    unauthorised.chunks = {{echoed}};
    GatewayReply redirect = statusOnly(307, "text/plain");
    redirect.location = gateway_.address() + "/login?key=" + kKey;
    GatewayReply jsonInstead = streamOf({echoed}, "application/json");
    GatewayReply errorEvent = streamOf({"data: " + echoed + "\n\n"});
    GatewayReply dropped = streamOf({"data: " + echoed.substr(0, 10)});
    dropped.drop = true;
    GatewayReply unfinished = streamOf({std::string("data: ") + kKey + "\n\n"});
    for (const GatewayReply& reply :
         {unauthorised, redirect, jsonInstead, errorEvent, dropped, unfinished}) {
        const std::string text = failureWith(reply);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find(kKey), std::string::npos) << text;
    }
}

TEST_F(CheckGatewayTest, TrustsACertificateFolderNamedInTheEnvironment) {
    const std::filesystem::path folder = home_.path() / "certs";
    std::filesystem::create_directory(folder);
    std::filesystem::copy_file(gateway_.caFile(), folder / "gateway-ca.pem");
    ASSERT_EQ(std::system(("openssl rehash '" + folder.string() + "' >/dev/null 2>&1").c_str()), 0);
    home_.setEnvironment("SSL_CERT_FILE", std::nullopt);
    home_.setEnvironment("SSL_CERT_DIR", folder.string());
    EXPECT_EQ(failureWith(streamOf({kChatDone})), "");

    // An empty folder trusts nothing: the certificate came from the folder.
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    EXPECT_EQ(failureWith(streamOf({kChatDone})), testing::zh("check.gateway.unreachable"));
}

// The Mac hands its keychains' certificates over as text; they replace every
// other store, also a bundle named in the environment.
TEST_F(CheckGatewayTest, TrustsOnlyTheSystemCertificatesHandedOverAsText) {
    gateway_.setScript({streamOf({kChatDone})});
    const GatewaySettings settings(gateway_.address(), kKey, "bearer", {{"m", ""}},
                                   Client::openCode);
    const TestGateway stranger;
    struct Case {
        const char* name;
        std::filesystem::path ca;
        bool passes;
    };
    for (const Case& c : {Case{"the gateway's authority", gateway_.caFile(), true},
                          Case{"an unrelated authority", stranger.caFile(), false}}) {
        const TrustStore trust{std::nullopt, std::nullopt, testing::readFile(c.ca)};
        const ModelCheck found = checkModel(settings, settings.inferenceModels().front(),
                                            Client::openCode, {}, {}, trust);
        EXPECT_EQ(found.passed, c.passes) << c.name << ": " << found.message << found.detail;
    }
}

TEST_F(CheckGatewayTest, TimesTheFirstAndTheDecidingEvent) {
    struct TimingCase {
        GatewayReply reply;
        std::optional<long> status;
        bool firstEventSeen;
        bool decided;
    };
    GatewayReply paced = streamOf({});
    paced.headDelay = 100ms;
    paced.chunks = {{": comment\n\n", 0ms}, {"data: {}\n\n", 200ms}, {"data: [DONE]\n\n", 300ms}};
    const std::vector<TimingCase> cases = {
        {paced, 200, true, true},
        {statusOnly(401), 401, false, false},
        {streamOf({"data: {}\n\n"}), 200, true, false},
    };
    const GatewaySettings chat = settings(Client::openCode);
    for (const TimingCase& c : cases) {
        gateway_.setScript({c.reply});
        const ModelCheck found =
            checkModel(chat, chat.inferenceModels().front(), Client::openCode, {});
        EXPECT_EQ(found.httpStatus, c.status);
        EXPECT_EQ(found.firstEvent.has_value(), c.firstEventSeen);
        EXPECT_EQ(found.terminalEvent.has_value(), c.decided);
        if (&c != &cases.front()) continue;
        EXPECT_TRUE(found.passed);
        // The comment line is no event: the first one comes after both waits.
        EXPECT_GE(found.firstEvent->count(), 300);
        EXPECT_GE(found.terminalEvent->count(), 600);
        EXPECT_LT(found.terminalEvent->count(), 5000);
    }
}

}  // namespace
}  // namespace corvane
