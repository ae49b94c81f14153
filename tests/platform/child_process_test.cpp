#include "platform/child_process.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/platform_error.h"
#include "support/fake_bundle.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using Clock = std::chrono::steady_clock;
using ChildStream = ChildProcess::Stream;

auto soon() { return Clock::now() + std::chrono::seconds(20); }

std::unique_ptr<ChildProcess> shell(const std::string& script, ChildProcess::Streams streams) {
    return ChildProcess::start("/bin/sh", {"-c", script}, streams);
}

TEST(ChildProcess, PipesCarryMoreThanAPipeBufferBothWays) {
    auto child = ChildProcess::start("/bin/cat", {}, {ChildStream::pipe, ChildStream::pipe});
    std::string input(1 << 20, 'x');
    input += "end";
    // cat writes while we still write: the output must be drained meanwhile.
    child->writeInput(input, soon(), {});
    child->closeInput();
    EXPECT_EQ(child->readOutputToEnd(soon(), {}), input);
    EXPECT_EQ(child->waitForExit(soon(), {}), 0);
}

TEST(ChildProcess, ExitStatusAndSignals) {
    EXPECT_EQ(shell("exit 3", {})->waitForExit(soon(), {}), 3);
    EXPECT_EQ(shell("kill -TERM $$", {})->waitForExit(soon(), {}), 128 + 15);
    auto sleeper = shell("exec sleep 30", {});
    EXPECT_TRUE(sleeper->isRunning());
    EXPECT_EQ(sleeper->exitStatus(), std::nullopt);
    sleeper->terminate();
    EXPECT_EQ(sleeper->waitForExit(soon(), {}), 128 + 15);
    EXPECT_EQ(sleeper->exitStatus(), 128 + 15);
}

TEST(ChildProcess, StandardErrorDoesNotBlockReadingOutput) {
    auto child = shell("head -c 1000000 /dev/zero >&2; echo done",
                       {ChildStream::nullDevice, ChildStream::pipe, ChildStream::pipe});
    EXPECT_EQ(child->readOutputToEnd(soon(), {}), "done\n");
}

TEST(ChildProcess, WaitsEndAtTheirDeadlineOrStopRequest) {
    auto child = shell("exec sleep 30", {ChildStream::pipe, ChildStream::pipe});
    auto now = Clock::now();
    EXPECT_THROW(child->waitForExit(now + std::chrono::milliseconds(50), {}), ChildProcessTimeout);
    EXPECT_THROW(child->readOutputToEnd(now + std::chrono::milliseconds(50), {}),
                 ChildProcessTimeout);
    std::stop_source stop;
    std::jthread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        stop.request_stop();
    });
    EXPECT_THROW(child->waitForExit(soon(), stop.get_token()), OperationCancelled);
}

TEST(ChildProcess, ChildThatStopsReadingFailsTheWrite) {
    auto child = shell("exit 0", {ChildStream::pipe, ChildStream::nullDevice});
    child->waitForExit(soon(), {});
    EXPECT_THROW(child->writeInput(std::string(1 << 20, 'x'), soon(), {}), PlatformError);
}

TEST(ChildProcess, DestroyingARunningChildKillsAndReapsIt) {
    testing::TempHome home;
    auto pidFile = home.path() / "pid";
    {
        auto child = shell("echo $$ > '" + pidFile.string() + ".new'; mv '" + pidFile.string() +
                               ".new' '" + pidFile.string() + "'; exec sleep 30",
                           {});
        ASSERT_TRUE(testing::waitUntil([&] { return std::filesystem::exists(pidFile); }));
    }
    std::string pid = testing::readFile(pidFile);
    pid.pop_back();
    EXPECT_FALSE(std::filesystem::exists("/proc/" + pid));
    EXPECT_TRUE(testing::zombieChildren().empty());
}

TEST(ChildProcess, MissingProgramIsAPlatformError) {
    EXPECT_THROW(ChildProcess::start("/nonexistent/program", {}, {}), PlatformError);
}

}  // namespace
}  // namespace corvane
