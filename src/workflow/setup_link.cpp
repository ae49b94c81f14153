#include "workflow/setup_link.h"

#include <curl/curl.h>

#include <memory>
#include <optional>
#include <set>
#include <utility>

#include "model/messages.h"
#include "model/setup_error.h"
#include "model/text.h"
#include "workflow/secret_names.h"

namespace corvane {
namespace {

[[noreturn]] void refuse(const std::string& sentence) { throw SetupError(sentence); }

int hexValue(char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    return -1;
}

// Percent-decoding as browsers and gateways' pages encode query values.
std::string decoded(std::string_view text) {
    std::string result;
    for (std::size_t index = 0; index < text.size(); ++index) {
        const char character = text[index];
        if (character == '+') {
            result += ' ';
        } else if (character == '%') {
            const int high = index + 2 < text.size() ? hexValue(text[index + 1]) : -1;
            const int low = index + 2 < text.size() ? hexValue(text[index + 2]) : -1;
            if (high < 0 || low < 0) refuse(translated("workflow.link.bad-encoding"));
            result += static_cast<char>(high * 16 + low);
            index += 2;
        } else {
            result += character;
        }
    }
    if (!isValidUtf8(result) || containsControlCharacter(result))
        refuse(translated("workflow.link.bad-encoding"));
    return result;
}

std::vector<std::pair<std::string, std::string>> parameters(std::string_view query) {
    std::vector<std::pair<std::string, std::string>> result;
    while (!query.empty()) {
        const std::size_t end = query.find('&');
        const std::string_view pair = query.substr(0, end);
        query = end == std::string_view::npos ? std::string_view() : query.substr(end + 1);
        if (pair.empty()) continue;
        const std::size_t equals = pair.find('=');
        result.emplace_back(
            decoded(pair.substr(0, equals)),
            equals == std::string_view::npos ? std::string() : decoded(pair.substr(equals + 1)));
    }
    return result;
}

// The host of an HTTPS address, or nothing when it is none.
std::optional<std::string> httpsHost(const std::string& address) {
    const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), curl_url_cleanup);
    if (!url || curl_url_set(url.get(), CURLUPART_URL, trimmed(address).c_str(), 0) != CURLUE_OK) {
        return std::nullopt;
    }
    char* scheme = nullptr;
    char* host = nullptr;
    std::optional<std::string> result;
    if (curl_url_get(url.get(), CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
        asciiLowercased(scheme) == "https" &&
        curl_url_get(url.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK && *host != '\0') {
        result = host;
    }
    curl_free(scheme);
    curl_free(host);
    return result;
}

}  // namespace

SetupLink parseSetupLink(std::string_view link) {
    const std::string prefix = std::string(kSetupLinkScheme) + "://configure";
    const std::size_t queryStart = link.find('?');
    std::string_view head = link.substr(0, queryStart);
    if (head.ends_with('/')) head.remove_suffix(1);
    if (asciiLowercased(head) != prefix) refuse(translated("workflow.link.not-ours"));
    std::string_view query =
        queryStart == std::string_view::npos ? std::string_view() : link.substr(queryStart + 1);
    query = query.substr(0, query.find('#'));
    const auto pairs = parameters(query);
    // Refused before anything else is looked at, so nothing of it is shown.
    for (const auto& [name, value] : pairs) {
        if (isSecretName(name)) {
            refuse(translated("workflow.link.holds-key"));
        }
    }
    SetupLink result;
    std::set<std::string> seen;
    std::optional<Client> client;
    for (const auto& [name, value] : pairs) {
        const bool single = name == "client" || name == "address" || name == "auth";
        if (single && !seen.insert(name).second) {
            refuse(translated("workflow.link.repeated", {{"name", name}}));
        }
        if (name == "client") {
            client = clientFromName(value);
            if (!client) refuse(translated("workflow.link.unknown-client"));
            if (guidanceOnly(*client)) {
                refuse(translated("workflow.guidance-only.in-app",
                                  {{"client", clientLabel(*client)}}));
            }
        } else if (name == "address") {
            result.address = value;
        } else if (name == "auth") {
            if (value != "bearer" && value != "x-api-key") {
                refuse(translated("workflow.link.auth-expected"));
            }
            result.auth = value;
        } else if (name == "model") {
            result.rows.emplace_back(value, "");
        } else if (name == "name") {
            if (result.rows.empty() || !result.rows.back().displayName.empty()) {
                refuse(translated("workflow.link.name-after-model"));
            }
            result.rows.back().displayName = value;
        } else {
            refuse(translated("workflow.link.unknown-parameter"));
        }
    }
    if (!client) refuse(translated("workflow.link.client-missing"));
    result.client = *client;
    if (!seen.contains("address")) refuse(translated("workflow.link.address-missing"));
    const auto host = httpsHost(result.address);
    if (!host) refuse(translated("workflow.link.address-not-https"));
    result.host = *host;
    if (result.rows.empty()) result.rows.emplace_back();
    return result;
}

}  // namespace corvane
