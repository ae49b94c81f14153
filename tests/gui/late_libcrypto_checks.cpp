// The Linux window's stand-ins for libcrypto, in a program that does not link
// libcrypto either: it is loaded at the first call, and digests come out as
// libcrypto's own.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <array>
#include <string>
#include <string_view>

#include "loaded_library.h"

namespace {

using corvane::testing::libraryLoaded;

std::string hexDigest(std::string_view text, const EVP_MD* type) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_Digest(text.data(), text.size(), digest.data(), &length, type, nullptr) != 1) return {};
    std::string hex;
    for (unsigned int index = 0; index < length; ++index) {
        constexpr std::string_view kDigits = "0123456789abcdef";
        hex += kDigits[digest[index] >> 4];
        hex += kDigits[digest[index] & 0xF];
    }
    return hex;
}

TEST(LateLibcrypto, LoadsAtTheFirstCallAndDigestsAsLibcryptoDoes) {
    ASSERT_FALSE(libraryLoaded("libcrypto"));
    // FIPS 180-2's examples.
    EXPECT_EQ(hexDigest("abc", EVP_sha1()), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_TRUE(libraryLoaded("libcrypto"));
    EXPECT_EQ(hexDigest("abc", EVP_sha256()),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
