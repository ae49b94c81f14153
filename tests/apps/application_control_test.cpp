#include "apps/application_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "model/setup_error.h"
#include "platform/platform_error.h"
#include "platform/posix/posix_workspace.h"
#include "support/catalogue_text.h"
#include "support/fake_bundle.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using testing::FakeAppBehaviour;
using testing::FakeBundleOptions;
using testing::logLines;
using testing::makeFakeBundle;
using testing::waitUntil;

constexpr ApplicationTiming kShort{std::chrono::milliseconds(5), 400};

class ApplicationControlTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const auto& bundle : bundles_) testing::killBundleProcesses(bundle);
        EXPECT_TRUE(waitUntil([] { return testing::zombieChildren().empty(); }));
    }

    std::filesystem::path bundle(const std::string& name, FakeBundleOptions options = {}) {
        if (!options.behaviour.log) options.behaviour.log = log();
        bundles_.push_back(makeFakeBundle(home_.path() / "Applications", name, options));
        return bundles_.back();
    }

    std::filesystem::path log() const { return home_.path() / "app.log"; }

    // Waits until the fake application has written its "start" lines, so
    // that its SIGTERM handler is in place.
    void waitForStarts(std::size_t count) {
        ASSERT_TRUE(waitUntil([&] {
            auto lines = logLines(log());
            return std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
                       return line.starts_with("start ");
                   }) >= static_cast<long>(count);
        }));
    }

    testing::TempHome home_;
    PosixWorkspace workspace_{home_.path() / "System"};
    std::stop_source stop_;
    ApplicationControl control_{workspace_, stop_.get_token(), kShort};
    std::vector<std::filesystem::path> bundles_;
};

TEST_F(ApplicationControlTest, MatchesEverySpellingOfTheBundleAndNothingElse) {
    auto app = bundle("Real");
    auto other = bundle("Other");
    control_.launchApplication(app);
    waitForStarts(1);
    std::filesystem::create_directory_symlink(app, home_.path() / "Link.app");
    std::filesystem::create_directory_symlink(home_.path() / "Applications",
                                              home_.path() / "LinkedFolder");

    struct Case {
        std::filesystem::path location;
        std::size_t expected;
    };
    const Case cases[] = {
        {app, 1},
        {home_.path() / "Link.app", 1},
        {home_.path() / "LinkedFolder" / "Real.app", 1},
        {home_.path() / "Applications" / ".." / "Applications" / "Real.app", 1},
        {home_.path() / "LinkedFolder" / ".." / "Applications" / "Real.app", 1},
        {home_.path() / "Applications" / "." / "Real.app", 1},
        {other, 0},
        {home_.path() / "Applications" / "real.app", 0},
        {home_.path() / "Applications", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(control_.runningApplications(c.location).size(), c.expected) << c.location;
    }
}

TEST_F(ApplicationControlTest, StopsTwoInstancesAndReturnsWhenBothEnded) {
    auto app = bundle("Twin");
    control_.launchApplication(app);
    testing::FakeInstance second(app);
    waitForStarts(2);
    ASSERT_EQ(control_.runningApplications(app).size(), 2u);

    control_.stopApplication(app);

    EXPECT_TRUE(control_.runningApplications(app).empty());
    EXPECT_TRUE(second.hasEnded());
    auto lines = logLines(log());
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.starts_with("term "); }),
              2);
}

TEST_F(ApplicationControlTest, ApplicationThatIsNotRunningNeedsNoPause) {
    auto app = bundle("Idle");
    // Any pause would now end in OperationCancelled.
    stop_.request_stop();
    EXPECT_NO_THROW(control_.stopApplication(app));
}

TEST_F(ApplicationControlTest, ApplicationThatNeverQuitsFailsAfterTheFullWait) {
    FakeBundleOptions options;
    options.behaviour.ignoreTerminate = true;
    auto app = bundle("Claude", options);
    control_.launchApplication(app);
    waitForStarts(1);

    // Real speed: 40 pauses of 0.2 seconds.
    ApplicationControl control(workspace_, stop_.get_token());
    try {
        control.stopApplication(app);
        FAIL() << "expected SetupError";
    } catch (const SetupError& error) {
        EXPECT_EQ(error.text(), testing::zh("apps.stop.did-not-quit", {{"application", "Claude"}}));
    }
    EXPECT_EQ(control.runningApplications(app).size(), 1u);
    // One quit request, not one per check.
    auto lines = logLines(log());
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.starts_with("term "); }),
              1);
}

TEST_F(ApplicationControlTest, ShortenedWaitNamesTheBundleFolder) {
    FakeBundleOptions options;
    options.behaviour.ignoreTerminate = true;
    auto app = bundle("Work Buddy", options);
    control_.launchApplication(app);
    waitForStarts(1);
    ApplicationControl control(workspace_, stop_.get_token(), {std::chrono::milliseconds(1), 3});
    try {
        control.stopApplication(app / "");
        FAIL() << "expected SetupError";
    } catch (const SetupError& error) {
        EXPECT_EQ(error.text(),
                  testing::zh("apps.stop.did-not-quit", {{"application", "Work Buddy"}}));
    }
}

TEST_F(ApplicationControlTest, StopRequestEndsTheWait) {
    FakeBundleOptions options;
    options.behaviour.ignoreTerminate = true;
    auto app = bundle("Stubborn", options);
    control_.launchApplication(app);
    waitForStarts(1);
    ApplicationControl control(workspace_, stop_.get_token());
    std::jthread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        stop_.request_stop();
    });
    EXPECT_THROW(control.stopApplication(app), OperationCancelled);
}

TEST_F(ApplicationControlTest, LaunchesAStoppedBundleAndReturnsARunningOne) {
    auto app = bundle("Launchable");
    auto first = control_.launchApplication(app);
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->isTerminated());
    EXPECT_EQ(first->bundleURL(), std::filesystem::canonical(app));
    waitForStarts(1);

    auto again =
        control_.launchApplication(home_.path() / "Applications/../Applications/Launchable.app");
    EXPECT_FALSE(again->isTerminated());
    EXPECT_EQ(control_.runningApplications(app).size(), 1u);
    EXPECT_EQ(logLines(log()).size(), 1u);

    control_.stopApplication(app);
    EXPECT_TRUE(first->isTerminated());
    EXPECT_TRUE(again->isTerminated());
}

TEST_F(ApplicationControlTest, LaunchOfABrokenBundleIsThePlatformsError) {
    FakeBundleOptions options;
    options.executableName = "missing";
    auto app = bundle("Broken", options);
    std::filesystem::remove(app / "Contents" / "MacOS" / "missing");
    EXPECT_THROW(control_.launchApplication(app), PlatformError);
    EXPECT_THROW(control_.launchApplication(home_.path() / "Nowhere.app"), PlatformError);
}

TEST_F(ApplicationControlTest, ApplicationThatExitsAtOnceCountsAsStopped) {
    FakeBundleOptions options;
    options.behaviour.exitAtOnce = true;
    auto app = bundle("Brief", options);
    auto handle = control_.launchApplication(app);
    EXPECT_TRUE(waitUntil([&] { return handle->isTerminated(); }));
    EXPECT_TRUE(control_.runningApplications(app).empty());
}

TEST(ApplicationDisplayName, IsTheBundleFolderWithoutItsExtension) {
    EXPECT_EQ(applicationDisplayName("/Applications/Claude.app"), "Claude");
    EXPECT_EQ(applicationDisplayName("/Applications/Hermes Agent.app/"), "Hermes Agent");
    EXPECT_EQ(applicationDisplayName("/Applications/OpenClaw（小龙虾）.app"), "OpenClaw（小龙虾）");
}

}  // namespace
}  // namespace corvane
