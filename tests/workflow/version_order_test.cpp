#include "workflow/version_order.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(VersionOrder, ComparesDigitRunsAsNumbers) {
    struct Case {
        std::string left;
        std::string right;
        int sign;
    };
    const Case cases[] = {
        {"4.4211.9", "4.4212.0", -1},
        {"4.4212.0", "4.4212.0", 0},
        {"4.4212", "4.4212.0", 0},
        {"4.10000.0", "4.4212.0", 1},
        {"10.0", "9.99", 1},
        {"4.4212.0-beta", "4.4212.0", 0},
        {"v4.4213", "4.4212.0", 1},
        {"", "0.0", 0},
        {"99999999999999999999999", "4", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.left + " vs " + c.right);
        const int result = compareVersions(c.left, c.right);
        EXPECT_EQ((result > 0) - (result < 0), c.sign);
        const int reverse = compareVersions(c.right, c.left);
        EXPECT_EQ((reverse > 0) - (reverse < 0), -c.sign);
    }
}

TEST(VersionOrder, ParsesTheMinimumSystemEntry) {
    struct Case {
        std::string text;
        std::optional<std::array<int, 3>> version;
    };
    const Case cases[] = {
        {"14.0", std::array{14, 0, 0}},
        {"13.5.2", std::array{13, 5, 2}},
        {"12", std::array{12, 0, 0}},
        {"11..3", std::array{11, 3, 0}},
        {"x.12.beta.1", std::array{12, 1, 0}},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"..", std::nullopt},
        {"1x.2y", std::nullopt},
        {"-1", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = parseSystemVersion(c.text);
        ASSERT_EQ(parsed.has_value(), c.version.has_value());
        if (parsed) {
            EXPECT_EQ((std::array{parsed->major, parsed->minor, parsed->patch}), *c.version);
        }
    }
}

}  // namespace
}  // namespace corvane
