#include "platform/desktop_entry.h"

#include <gtest/gtest.h>

#include "support/temp_home.h"

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

class Process final : public RunningApplication {
public:
    Process(std::filesystem::path executable, std::optional<std::string> sandbox)
        : executable_(std::move(executable)), sandbox_(std::move(sandbox)) {}
    bool isTerminated() const override { return false; }
    void terminate() override {}
    std::optional<std::filesystem::path> bundleURL() const override { return std::nullopt; }
    std::optional<std::filesystem::path> executablePath() const override { return executable_; }
    std::optional<std::string> sandboxApplication() const override { return sandbox_; }

private:
    std::filesystem::path executable_;
    std::optional<std::string> sandbox_;
};

TEST(DesktopEntry, InstancesRunItsProgramOrItsSandbox) {
    testing::TempHome home;
    const auto program = home.path() / "opt/OpenCode";
    testing::writeFile(program, "");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    std::filesystem::create_symlink(program, home.path() / "OpenCode");
    const auto flatpak = home.path() / "flatpak";
    std::filesystem::copy_file(program, flatpak);
    const std::string header = "[Desktop Entry]\nType=Application\nName=OpenCode\nExec=";
    testing::writeFile(home.path() / "linked.desktop",
                       header + (home.path() / "OpenCode").string());
    testing::writeFile(
        home.path() / "sandboxed.desktop",
        header + flatpak.string() + " run ai.opencode.opencode\nX-Flatpak=ai.opencode.opencode\n");
    const auto linked = readDesktopEntry(home.path() / "linked.desktop");
    const auto sandboxed = readDesktopEntry(home.path() / "sandboxed.desktop");
    ASSERT_TRUE(linked && sandboxed);

    EXPECT_TRUE(runsEntry(Process(program, std::nullopt), *linked));
    EXPECT_FALSE(runsEntry(Process(flatpak, std::nullopt), *linked));
    EXPECT_TRUE(runsEntry(Process("/app/bin/opencode", "ai.opencode.opencode"), *sandboxed));
    EXPECT_FALSE(runsEntry(Process(flatpak, std::nullopt), *sandboxed));
    EXPECT_FALSE(runsEntry(Process("/app/bin/other", "org.example.Other"), *sandboxed));
}

}  // namespace
}  // namespace corvane
