#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "support/catalogue_text.h"
#include "support/hostile_text.h"
#include "support/run_program.h"
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

// A model's line when it passed, its times written as withTimesAsN leaves them.
std::string passedLine(const std::string& model) {
    return testing::zh(
               "cli.check.model-line",
               {{"model", model},
                {"verdict", testing::zh("cli.check.passed")},
                {"times", testing::zh("check.times", {{"first", "N ms"}, {"last", "N ms"}})}}) +
           "\n";
}

// The output with every run of digits as one N, since times vary.
std::string withTimesAsN(const std::string& text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            result += text[i];
        } else if (i == 0 || text[i - 1] < '0' || text[i - 1] > '9') {
            result += 'N';
        }
    }
    return result;
}

GatewayReply unauthorised() {
    GatewayReply reply;
    reply.status = 401;
    reply.contentType = "application/json";
    return reply;
}

TEST_F(CheckCommandTest, ChecksEveryModelAndReportsEach) {
    gateway_.setScript(
        {chatStream("data: [DONE]\n"), unauthorised(), chatStream("data: [DONE]\n")});
    const Outcome failed = runCheck(home_, form({"a", "b=Bee", "c"}));
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(withTimesAsN(failed.out), passedLine("a") + passedLine("c"));
    EXPECT_EQ(
        failed.err,
        testing::zh("cli.check.model-line",
                    {{"model", "Bee"},
                     {"verdict", testing::zh("check.model.http-check-key",
                                             {{"model", "Bee"}, {"code", "401"}})},
                     {"times", testing::zh("check.times", {{"first", "—"}, {"last", "—"}})}}) +
            "\n");
    EXPECT_EQ(gateway_.requests().size(), 3u);

    gateway_.setScript({chatStream("data: [DONE]\n")});
    const Outcome passed = runCheck(home_, form({"a", "b=Bee"}));
    EXPECT_EQ(passed.status, 0);
    EXPECT_EQ(withTimesAsN(passed.out),
              passedLine("a") + passedLine("Bee") + testing::zh("cli.check.gateway-passed") + "\n");
    EXPECT_EQ(passed.err, "");
}

TEST_F(CheckCommandTest, PrintsOneJsonArray) {
    gateway_.setScript({chatStream("data: [DONE]\n"), unauthorised()});
    std::vector<std::string> arguments = form({"a", "b=Bee"});
    arguments.push_back("--json");
    const Outcome failed = runCheck(home_, arguments);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "");
    const nlohmann::json report = nlohmann::json::parse(failed.out);
    ASSERT_EQ(report.size(), 2u);
    nlohmann::json passed = report[0];
    EXPECT_GE(passed["firstEventMs"].get<int>(), 0);
    EXPECT_GE(passed["totalMs"].get<int>(), passed["firstEventMs"].get<int>());
    passed.erase("firstEventMs");
    passed.erase("totalMs");
    EXPECT_EQ(passed, nlohmann::json({{"model", "a"},
                                      {"label", "a"},
                                      {"ok", true},
                                      {"httpStatus", 200},
                                      {"message", nullptr},
                                      {"detail", nullptr}}));
    EXPECT_EQ(report[1],
              nlohmann::json({{"model", "b"},
                              {"label", "Bee"},
                              {"ok", false},
                              {"httpStatus", 401},
                              {"firstEventMs", nullptr},
                              {"totalMs", nullptr},
                              {"message", testing::zh("check.model.http-check-key",
                                                      {{"model", "Bee"}, {"code", "401"}})},
                              {"detail", nullptr}}));
}

// Pasted into bash, the printed line sends what the tool sent: curl's own
// CURL_CA_BUNDLE, globbing and User-Agent must not make it differ.
TEST_F(CheckCommandTest, ShowsARequestThatCurlRepeatsWithoutTheKey) {
    gateway_.setScript({chatStream("data: [DONE]\n")});
    const testing::TestGateway stranger;
    std::vector<std::string> arguments = {
        "--client", "openCode", "--address",     gateway_.address() + "/p[1-3]{a,b}",
        "--model",  "it's-m",   "--show-request"};
    const Outcome shown = runCheck(home_, arguments);
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out.find(kKey), std::string::npos);
    const std::string command = shown.out.substr(0, shown.out.find('\n'));
    EXPECT_TRUE(command.starts_with("curl ")) << command;
    EXPECT_NE(command.find("--cacert '" + gateway_.caFile().string() + "'"), std::string::npos)
        << command;
    EXPECT_NE(command.find("$CORVANE_API_KEY"), std::string::npos) << command;

    testing::ProgramRun curl;
    curl.program = "/bin/bash";
    curl.arguments = {"-c", command + " -sS -o /dev/null"};
    curl.environment = {{"CURL_CA_BUNDLE", stranger.caFile().string()},
                        {"SSL_CERT_FILE", std::nullopt}};
    EXPECT_EQ(testing::runProgram(curl).exitStatus, 0);
    const auto requests = gateway_.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].target, requests[0].target);
    EXPECT_EQ(requests[1].body, requests[0].body);
    for (const char* header : {"Authorization", "Content-Type", "Accept", "User-Agent"}) {
        EXPECT_EQ(requests[1].header(header), requests[0].header(header)) << header;
    }
}

// Display names are the user's, but a terminal must not act on them either.
TEST_F(CheckCommandTest, ShowsLabelsEscaped) {
    gateway_.setScript({chatStream("data: [DONE]\n")});
    for (const testing::HostileText& text : testing::hostileTexts()) {
        if (!text.fromUser) continue;
        const Outcome passed = runCheck(home_, form({"m=" + text.raw}));
        EXPECT_EQ(passed.status, 0) << passed.err;
        EXPECT_EQ(
            withTimesAsN(passed.out),
            withTimesAsN(passedLine(text.shown) + testing::zh("cli.check.gateway-passed") + "\n"))
            << passed.out;
    }
}

TEST_F(CheckCommandTest, VerboseNamesTheProxyAndTheTrustedCertificates) {
    home_.setEnvironment("https_proxy", "http://user:secret/pw@127.0.0.1:9");
    home_.setEnvironment("SSL_CERT_DIR", std::nullopt);
    std::vector<std::string> arguments = form({"a"});
    arguments.push_back("--verbose");
    const std::string trust =
        testing::zh("cli.check.trust-store",
                    {{"store", "SSL_CERT_FILE " + gateway_.caFile().string()}}) +
        "\n";
    const Outcome direct = runCheck(home_, arguments);
    EXPECT_TRUE(direct.out.starts_with(testing::zh("cli.check.no-proxy") + "\n" + trust))
        << direct.out;

    home_.setEnvironment("no_proxy", std::nullopt);
    home_.setEnvironment("NO_PROXY", std::nullopt);
    const Outcome proxied = runCheck(home_, arguments);
    EXPECT_TRUE(
        proxied.out.starts_with(testing::zh("cli.check.proxy", {{"address", "http://127.0.0.1:9"},
                                                                {"variable", "https_proxy"}}) +
                                "\n" + trust))
        << proxied.out;
    EXPECT_EQ((proxied.out + proxied.err).find("secret"), std::string::npos);

    // libcurl's error repeats an address it cannot read, password and all.
    home_.setEnvironment("https_proxy", "http://user:secret/pw@[bad");
    home_.setEnvironment("SSL_CERT_FILE", std::nullopt);
    const Outcome garbled = runCheck(home_, arguments);
    EXPECT_EQ(garbled.status, 1);
    EXPECT_TRUE(garbled.out.starts_with(
        testing::zh("cli.check.proxy", {{"address", "http://[bad"}, {"variable", "https_proxy"}}) +
        "\n" +
        testing::zh("cli.check.trust-store",
                    {{"store", testing::zh("check.trust.libcurl-default")}}) +
        "\n"))
        << garbled.out;
    EXPECT_NE(garbled.err.find("proxy"), std::string::npos) << garbled.err;
    EXPECT_EQ((garbled.out + garbled.err).find("secret"), std::string::npos) << garbled.err;
}

TEST_F(CheckCommandTest, SendsNothingWhenTheFormIsInvalid) {
    const Outcome invalid = runCheck(home_, form({"a b"}));
    EXPECT_EQ(invalid.status, 1);
    EXPECT_EQ(invalid.err, testing::zh("model.form.model-id-per-row") + "\n");
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
    EXPECT_EQ(interrupted.out, "");
    EXPECT_EQ(interrupted.err, testing::zh("cli.check.cancelled") + "\n");
}

}  // namespace
}  // namespace corvane
