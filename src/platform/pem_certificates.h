#pragma once

#include <string>
#include <string_view>

namespace corvane {

// One DER-encoded certificate as a PEM block ("-----BEGIN CERTIFICATE-----",
// base64 in lines of 64 characters, "-----END CERTIFICATE-----"), the form
// OpenSSL reads from a CA bundle.
std::string pemCertificate(std::string_view der);

}  // namespace corvane
