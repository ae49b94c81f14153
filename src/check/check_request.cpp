#include "check/check_request.h"

#include <nlohmann/json.hpp>

namespace corvane {

namespace {

nlohmann::json userMessages(const char* content) {
    return nlohmann::json::array({{{"role", "user"}, {"content", content}}});
}

nlohmann::json requestBody(const std::string& modelName, Client client) {
    switch (client) {
        case Client::claude:
            return {{"model", modelName},
                    {"max_tokens", 1},
                    {"stream", true},
                    {"messages", userMessages("1")}};
        case Client::codex:
            return {{"model", modelName},
                    {"input", "1"},
                    {"max_output_tokens", 16},
                    {"stream", true},
                    {"store", false}};
        case Client::workBuddy: {
            const nlohmann::json parameters = {{"type", "object"},
                                               {"properties", nlohmann::json::object()}};
            const nlohmann::json tool = {
                {"type", "function"},
                {"function", {{"name", "connection_check"}, {"parameters", parameters}}}};
            return {{"model", modelName},
                    {"max_tokens", 32},
                    {"stream", true},
                    {"messages", userMessages("Reply with 1.")},
                    {"tools", nlohmann::json::array({tool})}};
        }
        default:
            return {{"model", modelName},
                    {"max_tokens", 1},
                    {"stream", true},
                    {"messages", userMessages("1")}};
    }
}

}  // namespace

CheckRequest checkRequest(const GatewaySettings& settings, const GatewaySettings::Model& model,
                          Client client) {
    CheckRequest request;
    switch (client) {
        case Client::claude:
            request.url = settings.inferenceGatewayBaseUrl()
                              .appendingPathComponents("v1/messages")
                              .absoluteString();
            break;
        case Client::codex:
            request.url = settings.codexResponsesBaseURL()
                              .appendingPathComponents("responses")
                              .absoluteString();
            break;
        default:
            request.url = settings.inferenceGatewayBaseUrl()
                              .appendingPathComponents("v1/chat/completions")
                              .absoluteString();
            break;
    }
    request.body = requestBody(model.name, client).dump();
    request.headers = {"Content-Type: application/json", "Accept: text/event-stream"};
    if (client == Client::claude) {
        request.headers.emplace_back("anthropic-version: 2023-06-01");
        request.headers.emplace_back("anthropic-beta: prompt-caching-2024-07-31");
    }
    const std::string& key = settings.inferenceGatewayApiKey();
    if (settings.inferenceGatewayAuthScheme() == "x-api-key") {
        request.headers.push_back("x-api-key: " + key);
    } else {
        request.headers.push_back("Authorization: Bearer " + key);
    }
    return request;
}

}  // namespace corvane
