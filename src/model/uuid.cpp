#include "model/uuid.h"

#include <openssl/evp.h>
#include <uuid/uuid.h>

#include <array>
#include <cstring>
#include <stdexcept>

namespace corvane {
namespace {

std::string unparsed(const uuid_t value) {
    char text[37];
    uuid_unparse_upper(value, text);
    return text;
}

// The tool's namespace for name-based UUIDs; fixed once, never to change,
// since deployed identifiers are derived from it.
constexpr std::array<unsigned char, 16> kNamespace = {
    0x6f, 0x1c, 0x2e, 0x8a, 0x53, 0xd4, 0x4b, 0x07, 0x9e, 0x21, 0xc5, 0x3a, 0x70, 0xbf, 0x18, 0x44};

}  // namespace

std::string randomUUID() {
    uuid_t value;
    uuid_generate_random(value);
    return unparsed(value);
}

std::string nameBasedUUID(std::string_view name) {
    std::string input(kNamespace.begin(), kNamespace.end());
    input += name;
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_Digest(input.data(), input.size(), digest.data(), &length, EVP_sha1(), nullptr) != 1) {
        throw std::runtime_error("SHA-1 failed");
    }
    uuid_t value;
    std::memcpy(value, digest.data(), sizeof value);
    value[6] = static_cast<unsigned char>((value[6] & 0x0f) | 0x50);
    value[8] = static_cast<unsigned char>((value[8] & 0x3f) | 0x80);
    return unparsed(value);
}

}  // namespace corvane
