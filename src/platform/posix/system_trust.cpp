#include "platform/system_trust.h"

namespace corvane {

// Distributions build libcurl with their own CA bundle as its default.
std::optional<std::string> systemTrustedCertificatesPem() { return std::nullopt; }

}  // namespace corvane
