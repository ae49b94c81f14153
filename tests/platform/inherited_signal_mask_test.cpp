#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <functional>

#include "platform/child_process.h"
#include "platform/posix/posix_workspace.h"
#include "support/fake_bundle.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;

// Runs `action` with SIGINT and SIGTERM blocked on this thread, as the command
// line runs its workflows while it watches for those signals.
template <typename Action>
auto withInterruptSignalsBlocked(Action action) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &signals, &previous);
    auto result = action();
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return result;
}

TEST(InheritedSignalMask, OpenedApplicationStillQuitsWhenAsked) {
    testing::TempHome home;
    testing::FakeBundleOptions options;
    options.behaviour.log = home.path() / "events.log";
    const auto app = testing::makeFakeBundle(home.path() / "Applications", "Quitter", options);
    PosixWorkspace workspace(home.path() / "System");
    const auto running =
        withInterruptSignalsBlocked([&] { return workspace.openApplication(app, {}); });
    ASSERT_TRUE(
        testing::waitUntil([&] { return testing::logLines(*options.behaviour.log).size() == 1; }));
    running->terminate();
    EXPECT_TRUE(testing::waitUntil([&] { return running->isTerminated(); }, 5s));
    testing::killBundleProcesses(app);
}

TEST(InheritedSignalMask, ChildProcessStartsWithNoSignalBlocked) {
    auto child = withInterruptSignalsBlocked([] {
        return ChildProcess::start("/bin/grep", {"^SigBlk:", "/proc/self/status"},
                                   {ChildProcess::Stream::nullDevice, ChildProcess::Stream::pipe,
                                    ChildProcess::Stream::nullDevice});
    });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    EXPECT_EQ(child->readOutputToEnd(deadline, {}), "SigBlk:\t0000000000000000\n");
    EXPECT_EQ(child->waitForExit(deadline, {}), 0);
}

}  // namespace
}  // namespace corvane
