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

// One argument for a POSIX shell, taken literally.
std::string shellQuoted(std::string_view text) {
    std::string quoted = "'";
    for (char character : text) {
        if (character == '\'') {
            quoted += "'\\''";
        } else {
            quoted += character;
        }
    }
    return quoted + "'";
}

}  // namespace

std::string credentialHeaderPrefix(std::string_view authScheme) {
    return authScheme == "x-api-key" ? "x-api-key: " : "Authorization: Bearer ";
}

HttpsRequest checkRequest(const GatewaySettings& settings, const GatewaySettings::Model& model,
                          Client client) {
    HttpsRequest request;
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
    request.postBody = requestBody(model.name, client).dump();
    request.headers = {"Content-Type: application/json", "Accept: text/event-stream"};
    if (client == Client::claude) {
        request.headers.emplace_back("anthropic-version: 2023-06-01");
        request.headers.emplace_back("anthropic-beta: prompt-caching-2024-07-31");
    }
    request.headers.push_back(credentialHeaderPrefix(settings.inferenceGatewayAuthScheme()) +
                              settings.inferenceGatewayApiKey());
    return request;
}

std::string curlCommand(const HttpsRequest& request, std::string_view authScheme,
                        const TrustStore& trust) {
    std::string command = "curl -N --globoff --proto =https -A ''";
    if (trust.file) command += " --cacert " + shellQuoted(*trust.file);
    if (trust.folder) command += " --capath " + shellQuoted(*trust.folder);
    command +=
        " -X " + std::string(request.postBody ? "POST" : "GET") + " " + shellQuoted(request.url);
    for (std::size_t index = 0; index + 1 < request.headers.size(); ++index) {
        command += " -H " + shellQuoted(request.headers[index]);
    }
    // Double quotes let the shell put in the key; the prefix holds nothing it expands.
    command += " -H \"" + credentialHeaderPrefix(authScheme) + "$CORVANE_API_KEY\"";
    if (request.postBody) command += " --data-raw " + shellQuoted(*request.postBody);
    return command;
}

}  // namespace corvane
