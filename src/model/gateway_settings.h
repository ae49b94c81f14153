#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/client.h"
#include "model/https_url.h"

namespace corvane {

// One editable model line of the form.
struct ModelRow {
    ModelRow();
    ModelRow(std::string modelID, std::string displayName);

    std::string id;  // a fresh UUID; only keeps rows apart in a list
    std::string modelID;
    std::string displayName;
};

// The DeepSeek API host, whose Responses endpoint sits directly below the base.
inline constexpr std::string_view kDeepSeekApiHost = "api.deepseek.com";

// The connection fields alone, validated by the same rules as the settings:
// what listing the gateway's models needs before any model is chosen. Throws
// SetupError with the message of the first broken rule.
struct GatewayConnection {
    GatewayConnection(std::string_view address, std::string_view key, std::string_view auth,
                      Client client);

    HttpsUrl baseUrl;
    std::string apiKey;
    std::string authScheme;
};

// The validated gateway configuration; built once per apply, never changed.
class GatewaySettings {
public:
    struct Model {
        std::string name;
        std::optional<std::string> labelOverride;

        // The text messages show: the display name, else the model ID.
        const std::string& label() const { return labelOverride ? *labelOverride : name; }
    };

    // Validates the raw form text. Throws SetupError with the message of the
    // first broken rule.
    GatewaySettings(std::string_view address, std::string_view key, std::string_view auth,
                    const std::vector<ModelRow>& rows, Client client);

    const std::string& inferenceProvider() const { return inferenceProvider_; }
    const std::string& inferenceCredentialKind() const { return inferenceCredentialKind_; }
    const HttpsUrl& inferenceGatewayBaseUrl() const { return inferenceGatewayBaseUrl_; }
    const std::string& inferenceGatewayApiKey() const { return inferenceGatewayApiKey_; }
    const std::string& inferenceGatewayAuthScheme() const { return inferenceGatewayAuthScheme_; }
    const std::vector<Model>& inferenceModels() const { return inferenceModels_; }

    HttpsUrl codexResponsesBaseURL() const;

    // The JSON form: Claude desktop's gateway profile.
    nlohmann::json json() const;

private:
    std::string inferenceProvider_ = "gateway";
    std::string inferenceCredentialKind_ = "static";
    HttpsUrl inferenceGatewayBaseUrl_;
    std::string inferenceGatewayApiKey_;
    std::string inferenceGatewayAuthScheme_;
    std::vector<Model> inferenceModels_;
};

}  // namespace corvane
