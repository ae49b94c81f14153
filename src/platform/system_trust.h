#pragma once

#include <optional>
#include <string>

namespace corvane {

// The certificates the operating system trusts for HTTPS, as one PEM text: on
// macOS the system's roots plus the certificates an administrator or the user
// marked trusted in the keychains. Nothing where libcurl's own default store
// already is the system's (Linux distributions). Throws PlatformError when the
// system's store cannot be read.
std::optional<std::string> systemTrustedCertificatesPem();

}  // namespace corvane
