#include "check/gateway_models.h"

#include <curl/curl.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <set>

#include "check/check_request.h"
#include "model/setup_error.h"

namespace corvane {

namespace {

// A model list is a few kilobytes; a larger answer is not one.
constexpr std::size_t kMaxBodyBytes = std::size_t{8} * 1024 * 1024;
constexpr int kMaxPages = 20;

std::string percentEncoded(const std::string& text) {
    const std::unique_ptr<char, decltype(&curl_free)> encoded(
        curl_easy_escape(nullptr, text.c_str(), static_cast<int>(text.size())), &curl_free);
    return encoded ? std::string(encoded.get()) : std::string();
}

std::string statusFailure(long status) {
    const std::string code = std::to_string(status);
    switch (status) {
        case 404:
            return "网关没有提供模型列表（/v1/models 返回 HTTP 404）。请核对接口地址，或手动填写 "
                   "Model ID。";
        case 401:
        case 403:
            return "获取模型列表返回 HTTP " + code + "。请核对 Key 和认证方式。";
        default:
            return "获取模型列表返回 HTTP " + code + "。";
    }
}

struct Page {
    std::vector<GatewayModel> models;
    std::optional<std::string> nextAfterId;
};

// Both shapes keep the models in "data"; Anthropic's adds "display_name",
// "has_more" and "last_id".
Page parsedPage(const std::string& body) {
    const nlohmann::json document = nlohmann::json::parse(body, nullptr, false);
    if (!document.is_object() || !document.contains("data") || !document["data"].is_array()) {
        throw SetupError("网关返回的模型列表无法识别。");
    }
    Page page;
    for (const nlohmann::json& entry : document["data"]) {
        if (!entry.is_object() || !entry.contains("id") || !entry["id"].is_string()) continue;
        GatewayModel model{entry["id"].get<std::string>(), std::nullopt};
        if (entry.contains("display_name") && entry["display_name"].is_string()) {
            model.name = entry["display_name"].get<std::string>();
        }
        page.models.push_back(std::move(model));
    }
    const bool hasMore = document.value("has_more", false);
    if (hasMore && document.contains("last_id") && document["last_id"].is_string()) {
        page.nextAfterId = document["last_id"].get<std::string>();
    }
    return page;
}

std::string fetchPage(const HttpsRequest& request, std::stop_token stop,
                      const CheckLimits& limits) {
    std::string body;
    std::optional<long> status;
    bool tooLarge = false;
    const HttpsReceiver receiver{
        .head =
            [&](long code, std::string_view) {
                status = code;
                return code == 200;
            },
        .body =
            [&](std::string_view bytes) {
                tooLarge = body.size() + bytes.size() > kMaxBodyBytes;
                if (!tooLarge) body.append(bytes);
                return !tooLarge;
            },
    };
    const TransferResult result = transferHttps(request, receiver, stop, limits);
    if (status && *status != 200) throw SetupError(statusFailure(*status));
    if (tooLarge) throw SetupError("网关返回的模型列表超过 8 MiB，已拒绝读取。");
    switch (result.end) {
        case TransferEnd::complete:
            return body;
        case TransferEnd::notHttp:
            throw SetupError("接口未返回有效的 HTTP 响应。");
        default:
            if (result.headReceived) throw SetupError("读取模型列表时连接中断，请稍后重试。");
            throw SetupError("无法连接模型接口。请检查地址和网络后重试。");
    }
}

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

std::vector<GatewayModel> gatewayModels(const GatewayConnection& connection, Client client,
                                        std::stop_token stop, const CheckLimits& limits) {
    std::vector<GatewayModel> models;
    std::set<std::string> seen;
    std::optional<std::string> afterId;
    for (int page = 0; page < kMaxPages; ++page) {
        Page read =
            parsedPage(fetchPage(modelListRequest(connection, client, afterId), stop, limits));
        for (GatewayModel& model : read.models) {
            if (seen.insert(model.id).second) models.push_back(std::move(model));
        }
        // A gateway that names the same page again would loop until the cap.
        if (!read.nextAfterId || read.nextAfterId == afterId) break;
        afterId = std::move(read.nextAfterId);
    }
    return models;
}

}  // namespace corvane
