// What only a Mac can show: the system's own application started and stopped
// from a worker thread while the main thread is blocked in a join, as the
// command line runs its workflows, and the window started from its bundle.
#include <gtest/gtest.h>

#include <exception>
#include <thread>

#include "apps/application_control.h"
#include "platform/workspace.h"
#include "support/run_program.h"

namespace corvane {
namespace {

TEST(MacSmoke, TextEditQuitsWhenAskedFromAWorkerThread) {
#ifndef __APPLE__
    GTEST_SKIP() << "needs macOS";
#else
    const std::unique_ptr<Workspace> workspace = makeSystemWorkspace();
    const std::optional<std::filesystem::path> textEdit =
        workspace->urlForApplication("com.apple.TextEdit");
    ASSERT_TRUE(textEdit);
    bool sawRunning = false;
    bool sawEnd = false;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            const ApplicationControl control(*workspace, {});
            const auto launched = control.launchApplication(*textEdit);
            sawRunning =
                !launched->isTerminated() && !control.runningApplications(*textEdit).empty();
            // Fails with apps.stop.did-not-quit when no end is seen within 8 s.
            control.stopApplication(*textEdit);
            sawEnd = launched->isTerminated();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    worker.join();
    if (failure) std::rethrow_exception(failure);
    EXPECT_TRUE(sawRunning);
    EXPECT_TRUE(sawEnd);
#endif
}

TEST(MacSmoke, WindowStartsFromTheBuiltBundle) {
#ifndef CORVANE_SETUP_PROGRAM
    GTEST_SKIP() << "needs the macOS application bundle";
#else
    const testing::ProgramResult result = testing::runProgram(
        {.program = CORVANE_SETUP_PROGRAM,
         .environment = {{"CORVANE_EXIT_AFTER_SHOW", "1"}, {"QT_QPA_PLATFORM", std::nullopt}}});
    EXPECT_EQ(result.exitStatus, 0) << result.error;
    EXPECT_NE(result.output.find("first-paint "), std::string::npos);
#endif
}

}  // namespace
}  // namespace corvane
