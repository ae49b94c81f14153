#include "check/trust_store.h"

#include <cstdlib>

#include "model/text.h"

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

// A proxy address may carry a user name and password; they are secrets.
std::string withoutCredentials(const std::string& address) {
    const std::size_t schemeEnd = address.find("://");
    const std::size_t hostStart = schemeEnd == std::string::npos ? 0 : schemeEnd + 3;
    const std::size_t hostEnd = address.find('/', hostStart);
    const std::size_t at =
        address.rfind('@', hostEnd == std::string::npos ? address.size() : hostEnd);
    if (at == std::string::npos || at < hostStart) return address;
    return address.substr(0, hostStart) + address.substr(at + 1);
}

}  // namespace

TrustStore trustStoreFromEnvironment() {
    return {nonEmptyVariable("SSL_CERT_FILE"), nonEmptyVariable("SSL_CERT_DIR")};
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
    for (const char* name : {"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
        if (auto address = nonEmptyVariable(name)) {
            return EnvironmentProxy{name, withoutCredentials(*address)};
        }
    }
    return std::nullopt;
}

}  // namespace corvane
