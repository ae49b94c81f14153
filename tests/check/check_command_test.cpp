#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_home.h"
#include "support/test_gateway.h"

extern char** environ;

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::GatewayReply;

constexpr const char* kKey = "sk-command-KEY-51d0";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `corvane check` with the key in the environment; `whileRunning` is
// called with the process id once it has started.
Outcome runCheck(const testing::TempHome& home, std::vector<std::string> arguments,
                 const std::function<void(pid_t)>& whileRunning = nullptr) {
    arguments.insert(arguments.begin(), {CORVANE_PROGRAM, "check"});
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const auto out = home.path() / "out.txt";
    const auto err = home.path() / "err.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    Outcome outcome;
    if (spawned != 0) return outcome;
    if (whileRunning) whileRunning(pid);
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = testing::readFile(out);
    outcome.err = testing::readFile(err);
    return outcome;
}

GatewayReply chatStream(std::string body) {
    GatewayReply reply;
    reply.chunks.push_back({std::move(body)});
    return reply;
}

class CheckCommandTest : public ::testing::Test {
protected:
    CheckCommandTest() {
        home_.setEnvironment("SSL_CERT_FILE", gateway_.caFile().string());
        home_.setEnvironment("CORVANE_API_KEY", kKey);
        home_.setEnvironment("NO_PROXY", "127.0.0.1");
        home_.setEnvironment("no_proxy", "127.0.0.1");
    }

    std::vector<std::string> form(std::vector<std::string> models) {
        std::vector<std::string> arguments = {"--client", "openCode", "--address",
                                              gateway_.address()};
        for (const std::string& model : models) {
            arguments.push_back("--model");
            arguments.push_back(model);
        }
        return arguments;
    }

    testing::TestGateway gateway_;
    testing::TempHome home_;
};

TEST_F(CheckCommandTest, ChecksEveryModelInTurn) {
    gateway_.setScript({chatStream("data: [DONE]\n")});
    const Outcome passed = runCheck(home_, form({"a", "b=Bee"}));
    EXPECT_EQ(passed.status, 0);
    EXPECT_EQ(passed.out, "验证模型 1 / 2\n验证模型 2 / 2\n网关验证通过。\n");
    EXPECT_EQ(passed.err, "");
    EXPECT_EQ(gateway_.requests().size(), 2u);
}

TEST_F(CheckCommandTest, StopsAtTheFirstFailingModel) {
    GatewayReply unauthorised;
    unauthorised.status = 401;
    unauthorised.contentType = "application/json";
    gateway_.setScript({chatStream("data: [DONE]\n"), unauthorised});
    const Outcome failed = runCheck(home_, form({"a", "b=Bee", "c"}));
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "验证模型 1 / 3\n验证模型 2 / 3\n");
    EXPECT_EQ(failed.err, "「Bee」返回 HTTP 401。请核对 Key、认证方式和模型权限。\n");
    EXPECT_EQ(gateway_.requests().size(), 2u);
    EXPECT_EQ(failed.out.find(kKey), std::string::npos);
    EXPECT_EQ(failed.err.find(kKey), std::string::npos);
}

TEST_F(CheckCommandTest, SendsNothingWhenTheFormIsInvalid) {
    const Outcome invalid = runCheck(home_, form({"a b"}));
    EXPECT_EQ(invalid.status, 1);
    EXPECT_EQ(invalid.err, "请为每一行填入供应商提供的 Model ID。\n");
    EXPECT_TRUE(gateway_.requests().empty());
}

TEST_F(CheckCommandTest, CtrlCEndsAWaitingCheck) {
    GatewayReply late = chatStream("data: [DONE]\n");
    late.headDelay = 30s;
    gateway_.setScript({late});
    const Outcome interrupted = runCheck(home_, form({"a"}), [this](pid_t pid) {
        // Once the request has arrived, the check is under way.
        for (int attempt = 0; attempt < 400 && gateway_.requests().empty(); ++attempt) {
            std::this_thread::sleep_for(25ms);
        }
        kill(pid, SIGINT);
    });
    EXPECT_EQ(interrupted.status, 130);
    EXPECT_EQ(interrupted.out, "验证模型 1 / 1\n");
    EXPECT_EQ(interrupted.err, "验证已取消。\n");
}

}  // namespace
}  // namespace corvane
