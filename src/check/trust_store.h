#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// Where the certificates that a gateway's must chain to come from. As
// OpenSSL-based tools do, a bundle or folder named in the environment replaces
// the system's store (enterprise CAs, local test gateways); neither: the system
// store.
struct TrustStore {
    std::optional<std::string> file;    // SSL_CERT_FILE
    std::optional<std::string> folder;  // SSL_CERT_DIR
};

TrustStore trustStoreFromEnvironment();

// The proxy that libcurl takes from the environment for an HTTPS request to
// `host`: the variable it comes from and its address with any user name and
// password left out. Nothing when none is set or no_proxy exempts the host.
struct EnvironmentProxy {
    std::string variable;
    std::string address;
};

std::optional<EnvironmentProxy> environmentProxy(std::string_view host);

}  // namespace corvane
