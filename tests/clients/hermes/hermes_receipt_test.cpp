#include "clients/hermes/hermes_receipt.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace corvane {
namespace {

std::string hex(const Bytes& bytes) {
    std::string text;
    char digits[3];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += digits;
    }
    return text;
}

// The expected digests were computed outside this code, e.g.
//   printf '%s' '{"api_key":"k","base_url":"https:\/\/h\/v1","provider":"custom"}' | sha256sum
TEST(HermesReceipt, DigestsTheCompactSortedSlashEscapedConnection) {
    struct Case {
        const char* name;
        nlohmann::json model;
        const char* digest;
    };
    const Case cases[] = {
        {"the three fields",
         {{"provider", "custom"}, {"base_url", "https://h/v1"}, {"api_key", "k"}},
         "be8592d24b68fe2273a75f4e558be00ae22baa006dfd91cac90469f8fee50133"},
        {"default and other fields left out",
         {{"provider", "custom"},
          {"base_url", "https://h/v1"},
          {"api_key", "k"},
          {"default", "gpt-5"},
          {"context_length", 200000}},
         "be8592d24b68fe2273a75f4e558be00ae22baa006dfd91cac90469f8fee50133"},
        // printf '%s' '{}' | sha256sum
        {"none of the fields",
         {{"default", "m"}, {"temperature", 0.2}},
         "44136fa355b3678a1146ad16f7e8649e94fb4fc21fe77e8310c060f61caaff8a"},
        {"empty mapping", nlohmann::json::object(),
         "44136fa355b3678a1146ad16f7e8649e94fb4fc21fe77e8310c060f61caaff8a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes receipt = hermesReceipt(c.model);
        EXPECT_EQ(receipt.size(), 32u);
        EXPECT_EQ(hex(receipt), c.digest);
    }
}

TEST(HermesReceipt, EachConnectionFieldChangesTheDigest) {
    const nlohmann::json written = {
        {"provider", "custom"}, {"base_url", "https://h/v1"}, {"api_key", "k"}, {"default", "m"}};
    const Bytes receipt = hermesReceipt(written);
    for (const char* field : {"provider", "base_url", "api_key"}) {
        SCOPED_TRACE(field);
        nlohmann::json changed = written;
        changed[field] = "other";
        EXPECT_NE(hermesReceipt(changed), receipt);
        changed.erase(field);
        EXPECT_NE(hermesReceipt(changed), receipt);
    }
}

TEST(HermesReceipt, LivesBesideTheConfiguration) {
    EXPECT_EQ(hermesReceiptURL("/home/u/.hermes/config.yaml"),
              std::filesystem::path("/home/u/.hermes/.config.yaml.corvane-reset"));
    EXPECT_EQ(hermesReceiptURL("/srv/h/custom.yml"),
              std::filesystem::path("/srv/h/.custom.yml.corvane-reset"));
}

}  // namespace
}  // namespace corvane
