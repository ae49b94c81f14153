#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// Where the certificates that a gateway's must chain to come from. As
// OpenSSL-based tools do, a bundle or folder named in the environment replaces
// the system's store (enterprise CAs, local test gateways); neither: the
// certificates the system trusts, where the platform hands them over as PEM
// text (the Mac's keychains), else libcurl's default store.
struct TrustStore {
    std::optional<std::string> file;    // SSL_CERT_FILE
    std::optional<std::string> folder;  // SSL_CERT_DIR
    // The system's trusted certificates as PEM; used only when neither
    // variable is set.
    std::optional<std::string> systemCertificates;
};

// Reads the two variables and, when neither is set, the system's store. A
// system store that cannot be read leaves libcurl's default in its place.
TrustStore trustStoreFromEnvironment();

// Which store a transfer with `store` trusts, as a short phrase for --verbose.
std::string trustStoreDescription(const TrustStore& store);

// The proxy that libcurl takes from the environment for an HTTPS request to
// `host`: the variable it comes from and its address with any user name and
// password left out. Nothing when none is set or no_proxy exempts the host.
struct EnvironmentProxy {
    std::string variable;
    std::string address;
};

std::optional<EnvironmentProxy> environmentProxy(std::string_view host);

// A proxy address without the user name and password it may carry: everything
// between the scheme and the last "@" goes (a password may hold "/" or "@").
std::string withoutCredentials(const std::string& address);

// `text` (libcurl's error words) with every proxy address of the environment
// shown without its credentials, and any credentials left over hidden.
std::string withoutProxyCredentials(std::string text);

}  // namespace corvane
