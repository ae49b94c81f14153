#include "platform/child_environment.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/child_process.h"
#include "platform/posix/posix_workspace.h"
#include "support/fake_bundle.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

TEST(ChildEnvironment, StartedProgramsDoNotInheritTheKey) {
    testing::TempHome home;
    home.setEnvironment(kApiKeyVariable, "sk-secret");
    home.setEnvironment("CORVANE_TEST_KEPT", "kept");
    const auto script = home.path() / "print-environment";
    testing::writeFile(script, "#!/bin/sh\nenv > \"$1.part\" && mv \"$1.part\" \"$1\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);

    using Start = std::function<void(const std::filesystem::path& output)>;
    const std::pair<const char*, Start> cases[] = {
        {"child-process",
         [&](const auto& output) {
             auto child = ChildProcess::start(script, {output.string()}, {});
             child->waitForExit(std::chrono::steady_clock::now() + std::chrono::seconds(20), {});
         }},
        {"detached-application",
         [&](const auto& output) {
             const auto entry = home.path() / "printer.desktop";
             testing::writeFile(entry, "[Desktop Entry]\nType=Application\nName=P\nExec=" +
                                           script.string() + " " + output.string() + "\n");
             auto opened = PosixWorkspace(home.path()).openApplication(entry, {});
             EXPECT_TRUE(testing::waitUntil([&] { return opened->isTerminated(); }));
         }},
    };
    for (const auto& [name, start] : cases) {
        const auto output = home.path() / name;
        start(output);
        const std::string environment = "\n" + testing::readFile(output);
        EXPECT_NE(environment.find("\nCORVANE_TEST_KEPT=kept\n"), std::string::npos) << name;
        EXPECT_EQ(environment.find("\nCORVANE_API_KEY="), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace corvane
