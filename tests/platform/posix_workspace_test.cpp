#include "platform/posix/posix_workspace.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/posix/process_handle.h"
#include "support/fake_bundle.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

TEST(ProcessHandle, ProcessWithAnotherStartTimeIsNotTheApplication) {
    pid_t self = ::getpid();
    auto startTime = ProcessHandle::startTimeOf(self);
    ASSERT_TRUE(startTime);
    // A reused PID: same number, different start time.
    EXPECT_TRUE(ProcessHandle(self, *startTime + 1, std::nullopt).isTerminated());
    EXPECT_FALSE(ProcessHandle(self, *startTime, std::nullopt).isTerminated());
}

TEST(ProcessHandle, EndedChildIsReapedAndStaysTerminated) {
    testing::TempHome home;
    testing::FakeBundleOptions options;
    options.behaviour.exitAtOnce = true;
    auto bundle = testing::makeFakeBundle(home.path(), "Brief", options);
    PosixWorkspace workspace(home.path() / "System");
    auto handle = workspace.openApplication(bundle, {});
    EXPECT_TRUE(testing::waitUntil([&] { return handle->isTerminated(); }));
    EXPECT_TRUE(testing::zombieChildren().empty());
    EXPECT_TRUE(handle->isTerminated());
    handle->terminate();
}

TEST(PosixWorkspace, ListsOnlyProcessesOfABundle) {
    testing::TempHome home;
    auto bundle = testing::makeFakeBundle(home.path(), "Listed");
    PosixWorkspace workspace(home.path() / "System");
    auto opened = workspace.openApplication(bundle, {});
    std::size_t inBundle = 0;
    bool sawSelfInBundle = false;
    for (const auto& application : workspace.runningApplications(bundle)) {
        auto handle = std::dynamic_pointer_cast<ProcessHandle>(application);
        ASSERT_TRUE(handle);
        if (application->bundleURL() == std::filesystem::canonical(bundle)) ++inBundle;
        if (handle->pid() == ::getpid() && application->bundleURL()) sawSelfInBundle = true;
    }
    EXPECT_EQ(inBundle, 1u);
    EXPECT_FALSE(sawSelfInBundle);
    testing::killBundleProcesses(bundle);
    EXPECT_TRUE(opened->isTerminated());
}

TEST(PosixWorkspace, FindsApplicationsByBundleIdentifier) {
    testing::TempHome home;
    testing::FakeBundleOptions options;
    options.bundleIdentifier = "com.example.one";
    auto system = testing::makeFakeBundle(home.path() / "System", "Zeta", options);
    auto user = testing::makeFakeBundle(home.path() / "Applications", "Alpha", options);
    options.bundleIdentifier = "com.example.two";
    auto second = testing::makeFakeBundle(home.path() / "Applications", "Beta", options);
    testing::makeFakeBundle(home.path() / "Applications" / "Nested", "Deep", options);
    options.bundleIdentifier = "com.example.deep";
    testing::makeFakeBundle(home.path() / "Applications" / "Nested", "Deeper", options);

    PosixWorkspace workspace(home.path() / "System");
    EXPECT_EQ(workspace.urlForApplication("com.example.one"), system);
    EXPECT_EQ(workspace.urlForApplication("com.example.two"), second);
    EXPECT_EQ(workspace.urlForApplication("com.example.deep"), std::nullopt);
    EXPECT_EQ(workspace.urlForApplication("com.example.ONE"), std::nullopt);
}

}  // namespace
}  // namespace corvane
