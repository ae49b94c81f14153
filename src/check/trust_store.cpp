#include "check/trust_store.h"

#include <cstdlib>

#include "model/messages.h"
#include "model/text.h"
#include "platform/platform_error.h"
#include "platform/system_trust.h"

namespace corvane {

namespace {

std::optional<std::string> nonEmptyVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

// libcurl's no_proxy rules: "*" exempts every host; otherwise each entry
// (leading dot ignored) exempts itself and the names below it.
bool exempted(std::string_view host, std::string_view noProxy) {
    const std::string lowered = asciiLowercased(host);
    std::size_t start = 0;
    while (start <= noProxy.size()) {
        std::size_t end = noProxy.find_first_of(", ", start);
        if (end == std::string_view::npos) end = noProxy.size();
        std::string entry = asciiLowercased(noProxy.substr(start, end - start));
        start = end + 1;
        if (entry == "*") return true;
        if (!entry.empty() && entry.front() == '.') entry.erase(0, 1);
        if (entry.empty() || entry.size() > lowered.size()) continue;
        if (lowered == entry) return true;
        const std::size_t offset = lowered.size() - entry.size();
        if (lowered.compare(offset, entry.size(), entry) == 0 && lowered[offset - 1] == '.') {
            return true;
        }
    }
    return false;
}

constexpr const char* kProxyVariables[] = {"https_proxy", "HTTPS_PROXY", "all_proxy",
                                           "ALL_PROXY",   "http_proxy",  "HTTP_PROXY"};

// The user name and password of a proxy address ("user:password"); empty
// when it has none.
std::string credentialsOf(const std::string& address) {
    const std::string bare = withoutCredentials(address);
    if (bare.size() == address.size()) return {};
    const std::size_t schemeEnd = address.find("://");
    const std::size_t start = schemeEnd == std::string::npos ? 0 : schemeEnd + 3;
    return address.substr(start, address.size() - bare.size() - 1);
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    if (from.empty()) return;
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

}  // namespace

std::string withoutCredentials(const std::string& address) {
    const std::size_t schemeEnd = address.find("://");
    const std::size_t start = schemeEnd == std::string::npos ? 0 : schemeEnd + 3;
    const std::size_t at = address.rfind('@');
    if (at == std::string::npos || at < start) return address;
    return address.substr(0, start) + address.substr(at + 1);
}

std::string withoutProxyCredentials(std::string text) {
    for (const char* name : kProxyVariables) {
        const auto address = nonEmptyVariable(name);
        if (!address) continue;
        const std::string credentials = credentialsOf(*address);
        if (credentials.empty()) continue;
        replaceAll(text, *address, withoutCredentials(*address));
        replaceAll(text, credentials + "@", "");
        replaceAll(text, credentials, "<redacted>");
        const std::size_t colon = credentials.find(':');
        if (colon != std::string::npos && colon + 1 < credentials.size()) {
            replaceAll(text, credentials.substr(colon + 1), "<redacted>");
        }
    }
    return text;
}

TrustStore trustStoreFromEnvironment() {
    TrustStore store{nonEmptyVariable("SSL_CERT_FILE"), nonEmptyVariable("SSL_CERT_DIR"),
                     std::nullopt};
    if (store.file || store.folder) return store;
    try {
        store.systemCertificates = systemTrustedCertificatesPem();
    } catch (const PlatformError&) {
        // libcurl's own store is the best left; the check then says what it finds.
    }
    return store;
}

std::string trustStoreDescription(const TrustStore& store) {
    if (store.file && store.folder) {
        return translated("check.trust.file-and-folder",
                          {{"file", "SSL_CERT_FILE " + *store.file},
                           {"folder", "SSL_CERT_DIR " + *store.folder}});
    }
    if (store.file) return "SSL_CERT_FILE " + *store.file;
    if (store.folder) return "SSL_CERT_DIR " + *store.folder;
    return store.systemCertificates ? translated("check.trust.system-keychain")
                                    : translated("check.trust.libcurl-default");
}

std::optional<EnvironmentProxy> environmentProxy(std::string_view host) {
    std::string bare(host);
    if (bare.size() > 1 && bare.front() == '[' && bare.back() == ']') {
        bare = bare.substr(1, bare.size() - 2);
    }
    for (const char* name : {"no_proxy", "NO_PROXY"}) {
        if (auto noProxy = nonEmptyVariable(name)) {
            if (exempted(bare, *noProxy)) return std::nullopt;
            break;
        }
    }
    // libcurl takes an HTTPS request's proxy from these, in this order.
    for (const char* name : {"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
        if (auto address = nonEmptyVariable(name)) {
            return EnvironmentProxy{name, withoutCredentials(*address)};
        }
    }
    return std::nullopt;
}

}  // namespace corvane
