#include "model/gateway_settings.h"

#include <curl/curl.h>

#include <array>
#include <memory>
#include <set>

#include "model/messages.h"
#include "model/setup_error.h"
#include "model/text.h"
#include "model/uuid.h"

namespace corvane {
namespace {

constexpr std::array<std::string_view, 4> kEndpointSuffixes{"/v1/chat/completions", "/v1/responses",
                                                            "/v1/messages", "/v1"};
constexpr std::array<std::string_view, 5> kClaudeModelWords{"claude", "anthropic", "sonnet", "opus",
                                                            "haiku"};

using UrlHandle = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;

UrlHandle parseUrl(const std::string& text) {
    UrlHandle handle(curl_url(), curl_url_cleanup);
    if (!handle ||
        curl_url_set(handle.get(), CURLUPART_URL, text.c_str(), CURLU_PATH_AS_IS) != CURLUE_OK) {
        return UrlHandle(nullptr, curl_url_cleanup);
    }
    return handle;
}

// A part of the address, or nothing when the address has no such part.
std::optional<std::string> urlPart(CURLU* handle, CURLUPart part) {
    char* value = nullptr;
    if (curl_url_get(handle, part, &value, 0) != CURLUE_OK || value == nullptr) {
        return std::nullopt;
    }
    std::string text(value);
    curl_free(value);
    return text;
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

HttpsUrl normalisedBaseUrl(std::string_view address, Client client) {
    const std::string text = trimmed(address);
    // libcurl reads "https:///v1" as the host "v1", drops an empty "#" and
    // shows an empty "?" only sometimes, so those shapes are judged on the text.
    constexpr std::string_view kPrefix = "https://";
    if (text.size() <= kPrefix.size() ||
        asciiLowercased(text.substr(0, kPrefix.size())) != kPrefix || text[kPrefix.size()] == '/' ||
        text.find_first_of("?#") != std::string::npos) {
        throw SetupError(translated("model.form.address-not-https"));
    }
    const std::string_view rest = std::string_view(text).substr(kPrefix.size());
    if (rest.substr(0, rest.find('/')).find('@') != std::string_view::npos) {
        throw SetupError(translated("model.form.address-not-https"));
    }

    const UrlHandle url = parseUrl(text);
    if (!url) throw SetupError(translated("model.form.address-not-https"));
    const auto scheme = urlPart(url.get(), CURLUPART_SCHEME);
    const auto host = urlPart(url.get(), CURLUPART_HOST);
    if (!scheme || asciiLowercased(*scheme) != "https" || !host || host->empty() ||
        urlPart(url.get(), CURLUPART_USER) || urlPart(url.get(), CURLUPART_PASSWORD) ||
        urlPart(url.get(), CURLUPART_QUERY) || urlPart(url.get(), CURLUPART_FRAGMENT)) {
        throw SetupError(translated("model.form.address-not-https"));
    }

    std::string path = urlPart(url.get(), CURLUPART_PATH).value_or("");
    while (!path.empty() && path.back() == '/') path.pop_back();
    for (std::string_view suffix : kEndpointSuffixes) {
        if (endsWith(path, suffix)) {
            path.resize(path.size() - suffix.size());
            break;
        }
    }
    if (client == Client::codex && asciiLowercased(*host) == kDeepSeekApiHost &&
        path == "/responses") {
        path.clear();
    }

    HttpsUrl base(*host, urlPart(url.get(), CURLUPART_PORT).value_or(""), path);
    if (!parseUrl(base.absoluteString()))
        throw SetupError(translated("model.form.address-malformed"));
    return base;
}

// Far above any real key; a longer one is something else pasted, and would
// only fail later as a header no gateway takes.
constexpr std::size_t kMaxKeyBytes = std::size_t{16} * 1024;

std::string validatedKey(std::string_view key) {
    std::string text = trimmed(key);
    if (text.empty() || text.size() > kMaxKeyBytes)
        throw SetupError(translated("model.form.key-incomplete"));
    for (unsigned char byte : text) {
        if (byte < 33 || byte > 126) throw SetupError(translated("model.form.key-incomplete"));
    }
    return text;
}

std::string validatedAuth(std::string_view auth, Client client) {
    if (client == Client::workBuddy && auth != "bearer")
        throw SetupError(translated("model.form.workbuddy-needs-bearer"));
    return std::string(auth);
}

GatewaySettings::Model validatedModel(const ModelRow& row, Client client) {
    std::string name = trimmed(row.modelID);
    if (name.empty() || containsWhitespaceOrNewline(name))
        throw SetupError(translated("model.form.model-id-per-row"));
    if (client == Client::claude) {
        // ASCII lower-casing suffices: no other character lower-cases into
        // a letter of these words.
        const std::string lowered = asciiLowercased(name);
        bool mentionsClaude = false;
        for (std::string_view word : kClaudeModelWords) {
            mentionsClaude = mentionsClaude || lowered.find(word) != std::string::npos;
        }
        if (!mentionsClaude) throw SetupError(translated("model.form.claude-model-id"));
    }
    std::string label = trimmed(row.displayName);
    if (containsControlCharacter(name) || containsControlCharacter(label)) {
        throw SetupError(translated("model.form.model-id-per-row"));
    }
    return {std::move(name), label.empty() ? std::nullopt : std::optional(std::move(label))};
}

std::vector<GatewaySettings::Model> validatedModels(const std::vector<ModelRow>& rows,
                                                    Client client) {
    std::vector<GatewaySettings::Model> models;
    models.reserve(rows.size());
    for (const ModelRow& row : rows) models.push_back(validatedModel(row, client));
    std::set<std::string_view> names;
    for (const auto& model : models) {
        if (!names.insert(model.name).second)
            throw SetupError(translated("model.form.one-model-each"));
    }
    if (models.empty()) throw SetupError(translated("model.form.one-model-each"));
    return models;
}

}  // namespace

ModelRow::ModelRow() : id(randomUUID()) {}

ModelRow::ModelRow(std::string modelID, std::string displayName)
    : id(randomUUID()), modelID(std::move(modelID)), displayName(std::move(displayName)) {}

GatewayConnection::GatewayConnection(std::string_view address, std::string_view key,
                                     std::string_view auth, Client client)
    : baseUrl(normalisedBaseUrl(address, client)),
      apiKey(validatedKey(key)),
      authScheme(validatedAuth(auth, client)) {}

GatewaySettings::GatewaySettings(std::string_view address, std::string_view key,
                                 std::string_view auth, const std::vector<ModelRow>& rows,
                                 Client client)
    : inferenceGatewayBaseUrl_(normalisedBaseUrl(address, client)),
      inferenceGatewayApiKey_(validatedKey(key)),
      inferenceGatewayAuthScheme_(validatedAuth(auth, client)),
      inferenceModels_(validatedModels(rows, client)) {}

HttpsUrl GatewaySettings::codexResponsesBaseURL() const {
    const HttpsUrl& base = inferenceGatewayBaseUrl_;
    if (!base.host().empty() && asciiLowercased(base.host()) == kDeepSeekApiHost) return base;
    return base.appendingPathComponents("v1");
}

nlohmann::json GatewaySettings::json() const {
    nlohmann::json models = nlohmann::json::array();
    for (const Model& model : inferenceModels_) {
        nlohmann::json entry{{"name", model.name}};
        if (model.labelOverride) entry["labelOverride"] = *model.labelOverride;
        models.push_back(std::move(entry));
    }
    return {{"inferenceProvider", inferenceProvider_},
            {"inferenceCredentialKind", inferenceCredentialKind_},
            {"inferenceGatewayBaseUrl", inferenceGatewayBaseUrl_.absoluteString()},
            {"inferenceGatewayApiKey", inferenceGatewayApiKey_},
            {"inferenceGatewayAuthScheme", inferenceGatewayAuthScheme_},
            {"inferenceModels", std::move(models)}};
}

}  // namespace corvane
