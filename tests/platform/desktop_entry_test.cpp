#include "platform/desktop_entry.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using Arguments = std::optional<std::vector<std::string>>;

TEST(DesktopEntry, ExecArguments) {
    const std::pair<std::string, Arguments> cases[] = {
        {"/opt/cursor/cursor --no-sandbox %F", Arguments({"/opt/cursor/cursor", "--no-sandbox"})},
        {R"("/opt/Open Code/run" "a \"b\" \\\\ \$c" 100%%)",
         Arguments({"/opt/Open Code/run", R"(a "b" \ $c)", "100%"})},
        {R"(app\t--flag=%u  %i %c %k)", Arguments({"app", "--flag="})},
        {"flatpak run ai.opencode.opencode @@u %U @@",
         Arguments({"flatpak", "run", "ai.opencode.opencode", "@@u", "@@"})},
        {R"("unclosed %f)", std::nullopt},
    };
    for (const auto& [exec, expected] : cases) EXPECT_EQ(execArguments(exec), expected) << exec;
}

}  // namespace
}  // namespace corvane
