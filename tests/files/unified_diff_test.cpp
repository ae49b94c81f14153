#include "files/unified_diff.h"

#include <gtest/gtest.h>

#include <random>

#include "support/apply_patch.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using testing::readFile;
using testing::TempHome;
using testing::writeFile;

TEST(UnifiedDiff, ShapesOfTheHeaderAndHunks) {
    const std::filesystem::path path = "/home/u/.codex/config.toml";
    EXPECT_EQ(unifiedDiff(path, "same\n", "same\n"), "");
    EXPECT_EQ(unifiedDiff(path, std::nullopt, "a\nb"),
              "--- /dev/null\n+++ b/home/u/.codex/config.toml\n@@ -0,0 +1,2 @@\n+a\n+b\n"
              "\\ No newline at end of file\n");
    EXPECT_EQ(unifiedDiff(path, "a\n", std::nullopt),
              "--- a/home/u/.codex/config.toml\n+++ /dev/null\n@@ -1,1 +0,0 @@\n-a\n");
    EXPECT_EQ(unifiedDiff(path, "1\n2\n3\n4\n5\n6\n7\n8\n", "1\n2\n3\n4\nfive\n6\n7\n8\n"),
              "--- a/home/u/.codex/config.toml\n+++ b/home/u/.codex/config.toml\n"
              "@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+five\n 6\n 7\n 8\n");
}

// Whatever the two texts (CRLF lines, blank lines, no final newline, an empty
// file), patch turns the one into the other with the diff.
TEST(UnifiedDiff, PatchTurnsBeforeIntoAfter) {
    TempHome home;
    const auto file = home.path() / "file.txt";
    const char* pieces[] = {"a\n", "b\n", "c\r\n", "{\n", "  \"k\": 1,\n", "}\n", "\n", "x", "y"};
    std::mt19937 random(20261209);
    const auto text = [&] {
        std::string result;
        for (unsigned count = random() % 12; count > 0; --count) result += pieces[random() % 9];
        return result;
    };
    for (int round = 0; round < 150; ++round) {
        const std::string before = text();
        std::string after = before;
        for (unsigned edits = random() % 4; edits > 0; --edits) {
            after.insert(after.empty() ? 0 : random() % after.size(), pieces[random() % 9]);
        }
        if (random() % 3 == 0) after = text();
        writeFile(file, before);
        const std::string diff = unifiedDiff(file, before, after);
        if (before == after) continue;
        ASSERT_TRUE(testing::applyPatch(diff)) << diff;
        ASSERT_EQ(readFile(file), after) << diff;
    }
}

}  // namespace
}  // namespace corvane
