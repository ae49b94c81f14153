#include "check/stream_signal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane {
namespace {

constexpr StreamSignal R = StreamSignal::reading;
constexpr StreamSignal C = StreamSignal::completed;
constexpr StreamSignal F = StreamSignal::failed;

struct SignalCase {
    std::string line;
    Client client;
    StreamSignal expected;
};

TEST(StreamSignal, JudgesEachProtocolsLines) {
    const std::vector<SignalCase> cases = {
        // Chat Completions ends with [DONE], with or without blanks around it.
        {"data: [DONE]", Client::openCode, C},
        {"data:[DONE]", Client::openClaw, C},
        {"  data: \t[DONE]\t ", Client::workBuddy, C},
        {"data: [DONE]\r", Client::hermes, C},
        {"data: [DONE]", Client::cursor, C},
        {"Data: [DONE]", Client::openCode, R},
        {"data: [done]", Client::openCode, R},
        {"event: message_stop", Client::openCode, R},
        {R"(data: {"type":"message_stop"})", Client::openCode, R},
        {R"(data: {"choices":[{"delta":{"content":"1"}}]})", Client::openCode, R},
        // Anthropic Messages ends with message_stop only.
        {"event: message_stop", Client::claude, C},
        {"event:message_stop", Client::claude, C},
        {R"(data: {"type":"message_stop"})", Client::claude, C},
        {"data: [DONE]", Client::claude, R},
        {"event: message_start", Client::claude, R},
        {R"(data: {"type":"content_block_delta"})", Client::claude, R},
        {R"(data: {"type":"response.completed"})", Client::claude, R},
        // Responses ends with response.completed, or incomplete for the token cap.
        {"event: response.completed", Client::codex, C},
        {R"(data: {"type":"response.completed"})", Client::codex, C},
        {"data: [DONE]", Client::codex, R},
        {"event: response.incomplete", Client::codex, R},
        {R"(data: {"type":"response.incomplete","response":{"incomplete_details":{"reason":"max_output_tokens"}}})",
         Client::codex, C},
        {R"(data: {"type":"response.incomplete","response":{"incomplete_details":{"reason":"content_filter"}}})",
         Client::codex, F},
        {R"(data: {"type":"response.incomplete","response":{}})", Client::codex, F},
        {R"(data: {"type":"response.incomplete","response":{"incomplete_details":null}})",
         Client::codex, F},
        {R"(data: {"type":"response.incomplete","response":{"incomplete_details":{"reason":7}}})",
         Client::codex, F},
        {R"(data: {"type":"response.incomplete"})", Client::codex, F},
        {R"(data: {"type":"response.incomplete","response":{"incomplete_details":{"reason":"max_output_tokens"}}})",
         Client::openCode, R},
        {"event: message_stop", Client::codex, R},
        // Errors, for every protocol.
        {"event: error", Client::claude, F},
        {"event: error", Client::codex, F},
        {"event: error", Client::openCode, F},
        {"event: response.failed", Client::hermes, F},
        {R"(data: {"type":"error"})", Client::workBuddy, F},
        {R"(data: {"type":"response.failed"})", Client::codex, F},
        {R"(data: {"error":{"message":"no such model"}})", Client::claude, F},
        {R"(data: {"error":"quota"})", Client::openCode, F},
        {R"(data: {"error":false,"type":"x"})", Client::codex, F},
        {R"(data: {"error":null})", Client::openCode, R},
        {R"(data: {"error":null,"type":"message_stop"})", Client::claude, C},
        // Malformed or uninteresting lines decide nothing.
        {"", Client::openCode, R},
        {": keep-alive", Client::openCode, R},
        {"id: 7", Client::claude, R},
        {"retry: 1000", Client::codex, R},
        {"data: not json", Client::openCode, R},
        {R"(data: ["error"])", Client::openCode, R},
        {R"(data: "error")", Client::openCode, R},
        {R"(data: {"type":"message_stop")", Client::claude, R},
        {R"(data: {"type":5})", Client::claude, R},
        {"data: \xff\xfe", Client::openCode, R},
        {"[DONE]", Client::openCode, R},
    };
    for (const SignalCase& c : cases) {
        EXPECT_EQ(streamSignal(c.line, c.client), c.expected)
            << c.line << " for " << rawValue(c.client);
    }
}

}  // namespace
}  // namespace corvane
