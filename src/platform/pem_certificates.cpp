#include "platform/pem_certificates.h"

#include <algorithm>
#include <cstdint>

namespace corvane {

std::string pemCertificate(std::string_view der) {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string base64;
    base64.reserve((der.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < der.size(); i += 3) {
        const std::size_t count = std::min<std::size_t>(3, der.size() - i);
        std::uint32_t group = 0;
        for (std::size_t j = 0; j < 3; ++j) {
            group <<= 8;
            if (j < count) group |= static_cast<unsigned char>(der[i + j]);
        }
        for (std::size_t j = 0; j < 4; ++j) {
            base64 += j <= count ? kAlphabet[(group >> (18 - 6 * j)) & 0x3f] : '=';
        }
    }
    std::string pem = "-----BEGIN CERTIFICATE-----\n";
    for (std::size_t i = 0; i < base64.size(); i += 64) {
        pem.append(base64, i, 64);
        pem += '\n';
    }
    pem += "-----END CERTIFICATE-----\n";
    return pem;
}

}  // namespace corvane
