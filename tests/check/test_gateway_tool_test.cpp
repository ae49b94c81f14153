#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>

#include "check/check_gateway.h"
#include "model/setup_error.h"
#include "support/catalogue_text.h"
#include "support/temp_home.h"

extern char** environ;

namespace corvane {
namespace {

using namespace std::chrono_literals;

// The gateway as scripts start it: a separate program driven by a JSON script.
TEST(TestGatewayTool, ServesItsScriptAndRecordsEachRequest) {
    testing::TempHome home;
    const auto script = home.path() / "script.json";
    const auto record = home.path() / "requests.jsonl";
    const auto ready = home.path() / "ready.txt";
    testing::writeFile(script, R"({"replies": [
        {"status": 403, "body": "{}", "contentType": "application/json"},
        {"chunks": [{"data": "event: message_stop\n"}, {"data": "\n", "delayMs": 50}]}]})");

    std::string program = CORVANE_TEST_GATEWAY_PROGRAM;
    std::string scriptFlag = "--script", scriptPath = script.string();
    std::string recordFlag = "--record", recordPath = record.string();
    char* argv[] = {program.data(),    scriptFlag.data(), scriptPath.data(),
                    recordFlag.data(), recordPath.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, ready.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    std::string port;
    std::string caFile;
    for (int attempt = 0; attempt < 200 && caFile.empty(); ++attempt) {
        std::this_thread::sleep_for(50ms);
        std::istringstream lines(testing::readFile(ready));
        for (std::string line; std::getline(lines, line);) {
            if (line.starts_with("port=")) port = line.substr(5);
            if (line.starts_with("ca=")) caFile = line.substr(3);
        }
    }
    ASSERT_FALSE(caFile.empty()) << "the gateway never said it was ready";
    home.setEnvironment("SSL_CERT_FILE", caFile);
    home.setEnvironment("NO_PROXY", "127.0.0.1");
    home.setEnvironment("no_proxy", "127.0.0.1");

    const GatewaySettings settings("https://127.0.0.1:" + port, "sk-tool-key", "x-api-key",
                                   {{"claude-haiku", ""}}, Client::claude);
    const auto& model = settings.inferenceModels().front();
    try {
        checkGateway(settings, model, Client::claude, {});
        ADD_FAILURE() << "the first reply is a 403";
    } catch (const SetupError& error) {
        EXPECT_EQ(error.text(), testing::zh("check.model.http-check-key",
                                            {{"model", "claude-haiku"}, {"code", "403"}}));
    }
    EXPECT_NO_THROW(checkGateway(settings, model, Client::claude, {}));

    ASSERT_EQ(kill(pid, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    std::istringstream recorded(testing::readFile(record));
    int count = 0;
    for (std::string line; std::getline(recorded, line); ++count) {
        const nlohmann::json request = nlohmann::json::parse(line);
        EXPECT_EQ(request.at("method"), "POST");
        EXPECT_EQ(request.at("path"), "/v1/messages");
        EXPECT_EQ(request.at("headers").at("x-api-key"), "sk-tool-key");
        EXPECT_EQ(nlohmann::json::parse(request.at("body").get<std::string>()).at("model"),
                  "claude-haiku");
    }
    EXPECT_EQ(count, 2);
}

}  // namespace
}  // namespace corvane
