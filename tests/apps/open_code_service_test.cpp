#include <gtest/gtest.h>

#include "apps/application_control.h"
#include "model/setup_error.h"
#include "platform/platform_error.h"
#include "platform/posix/posix_workspace.h"
#include "support/catalogue_text.h"
#include "support/fake_bundle.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using testing::ExtraFile;
using testing::FakeBundleOptions;

class OpenCodeServiceTest : public ::testing::Test {
protected:
    // An OpenCode bundle whose service tool records its arguments and then
    // runs `toolBody`.
    std::filesystem::path openCode(std::optional<std::string> version,
                                   std::optional<std::string> toolBody = "exit 0") {
        FakeBundleOptions options;
        options.shortVersion = std::move(version);
        if (toolBody) {
            options.extraFiles["Contents/Resources/opencode-cli"] = ExtraFile{
                "#!/bin/sh\necho \"$@\" >> '" + calls().string() + "'\n" + *toolBody + "\n", true};
        }
        return testing::makeFakeBundle(home_.path() / "Applications", "OpenCode", options);
    }

    std::filesystem::path calls() const { return home_.path() / "calls"; }

    testing::TempHome home_;
    PosixWorkspace workspace_{home_.path() / "System"};
    std::stop_source stop_;
    ApplicationControl control_{
        workspace_, stop_.get_token(), {std::chrono::milliseconds(10), 200}};
};

TEST_F(OpenCodeServiceTest, OnlyMajorVersionTwoAndLaterRunTheTool) {
    struct Case {
        std::optional<std::string> version;
        bool runs;
    };
    const Case cases[] = {
        {"1.9.3", false}, {std::nullopt, false}, {"beta", false},  {"", false},
        {"...", false},   {"2.x", true},         {"v2.0", false},  {"2.0", true},
        {"2", true},      {"..2.1", true},       {"10.0.1", true}, {"2beta.1", false},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(home_.path() / "Applications");
        std::filesystem::remove(calls());
        auto app = openCode(c.version);
        EXPECT_NO_THROW(control_.stopOpenCodeService(app)) << c.version.value_or("(none)");
        EXPECT_EQ(std::filesystem::exists(calls()), c.runs) << c.version.value_or("(none)");
        if (c.runs) {
            EXPECT_EQ(testing::readFile(calls()), "service stop\n");
        }
    }
}

TEST_F(OpenCodeServiceTest, NumericVersionEntryOrMissingToolIsLeftAlone) {
    FakeBundleOptions numeric;
    numeric.shortVersion.reset();
    numeric.numericShortVersion = 3;
    numeric.extraFiles["Contents/Resources/opencode-cli"] = ExtraFile{"#!/bin/sh\nexit 1\n", true};
    auto app = testing::makeFakeBundle(home_.path() / "A", "OpenCode", numeric);
    EXPECT_NO_THROW(control_.stopOpenCodeService(app));

    EXPECT_NO_THROW(control_.stopOpenCodeService(openCode("2.0", std::nullopt)));

    FakeBundleOptions notExecutable;
    notExecutable.shortVersion = "2.0";
    notExecutable.extraFiles["Contents/Resources/opencode-cli"] =
        ExtraFile{"#!/bin/sh\nexit 1\n", false};
    EXPECT_NO_THROW(control_.stopOpenCodeService(
        testing::makeFakeBundle(home_.path() / "B", "OpenCode", notExecutable)));
}

TEST_F(OpenCodeServiceTest, ExitStatusDecides) {
    EXPECT_NO_THROW(control_.stopOpenCodeService(openCode("2.0", "sleep 0.1; exit 0")));

    std::filesystem::remove_all(home_.path() / "Applications");
    try {
        control_.stopOpenCodeService(openCode("2.0", "exit 1"));
        FAIL() << "expected SetupError";
    } catch (const SetupError& error) {
        EXPECT_EQ(error.text(), testing::zh("apps.opencode-service.cannot-stop"));
    }
}

TEST_F(OpenCodeServiceTest, ToolThatKeepsRunningIsEndedAndReported) {
    auto app =
        openCode("2.0", "echo $$ > '" + (home_.path() / "pid").string() + "'; exec sleep 30");
    ApplicationControl control(workspace_, stop_.get_token(), {std::chrono::milliseconds(10), 20});
    try {
        control.stopOpenCodeService(app);
        FAIL() << "expected SetupError";
    } catch (const SetupError& error) {
        EXPECT_EQ(error.text(), testing::zh("apps.opencode-service.did-not-stop"));
    }
    pid_t pid = std::stoi(testing::readFile(home_.path() / "pid"));
    EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(pid)));
}

TEST_F(OpenCodeServiceTest, StopRequestEndsTheWait) {
    auto app = openCode("2.0", "exec sleep 30");
    stop_.request_stop();
    EXPECT_THROW(control_.stopOpenCodeService(app), OperationCancelled);
}

TEST_F(OpenCodeServiceTest, ToolThatCannotStartIsThePlatformsError) {
    auto app = openCode("2.0", std::nullopt);
    // Executable but not a program the system can run.
    testing::writeFile(app / "Contents/Resources/opencode-cli", "not a program");
    std::filesystem::permissions(app / "Contents/Resources/opencode-cli",
                                 std::filesystem::perms::owner_all);
    EXPECT_THROW(control_.stopOpenCodeService(app), PlatformError);
}

}  // namespace
}  // namespace corvane
