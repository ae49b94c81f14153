#include "platform/process_identity.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace corvane {
namespace {

using namespace std::chrono_literals;

pid_t startSleeper() {
    char program[] = "/bin/sleep";
    char seconds[] = "30";
    char* argv[] = {program, seconds, nullptr};
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, program, nullptr, nullptr, argv, environ), 0);
    return pid;
}

// The end of a process as every platform's application handles see it, with a
// real child: running, ended once killed (and reaped, so no zombie stays); a
// PID with another start time is another process.
TEST(ProcessIdentity, FollowsARealChildFromStartToEnd) {
    const pid_t child = startSleeper();
    const std::optional<ProcessIdentity> identity = ProcessIdentity::of(child);
    ASSERT_TRUE(identity);
    EXPECT_FALSE(identity->hasEnded());
    EXPECT_TRUE(ProcessIdentity(child, identity->startTime() + 1).hasEnded());

    ASSERT_EQ(::kill(child, SIGTERM), 0);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!identity->hasEnded() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(identity->hasEnded());
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, WNOHANG), -1) << "the ended child was not reaped";
    EXPECT_FALSE(ProcessIdentity::of(child));
    EXPECT_FALSE(ProcessIdentity::of(-1));
}

}  // namespace
}  // namespace corvane
