#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>

#include "support/catalogue_text.h"
#include "support/run_program.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using testing::ProgramResult;
using testing::ProgramRun;
using testing::runProgram;
using testing::zh;

ProgramResult corvane(std::vector<std::string> arguments, std::optional<std::string> key,
                      std::string input = "") {
    ProgramRun run;
    run.program = CORVANE_CLI_PATH;
    run.arguments = std::move(arguments);
    run.environment["CORVANE_API_KEY"] = std::move(key);
    run.input = std::move(input);
    return runProgram(run);
}

TEST(ValidateCommand, PrintsTheSettingsWithTheKeyRedacted) {
    const ProgramResult result =
        corvane({"validate", "--client", "OPENCLAW", "--address", "https://gw.example.com/v1",
                 "--model", "m1=Model = One", "--model", "m2"},
                " sk-secret-value ");
    ASSERT_EQ(result.exitStatus, 0) << result.error;
    const auto shown = nlohmann::json::parse(result.output);
    EXPECT_EQ(shown["inferenceGatewayApiKey"], "<redacted>");
    EXPECT_EQ(shown["inferenceGatewayBaseUrl"], "https://gw.example.com");
    EXPECT_EQ(shown["inferenceModels"][0]["labelOverride"], "Model = One");
    EXPECT_FALSE(shown["inferenceModels"][1].contains("labelOverride"));
    EXPECT_EQ(result.output.find("sk-secret"), std::string::npos);
}

TEST(ValidateCommand, ExitStatusesAndMessages) {
    struct Case {
        std::vector<std::string> arguments;
        std::optional<std::string> key;
        std::string input;
        int exitStatus;
        std::string error;  // the whole standard error, when not empty
    };
    const Case cases[] = {
        {{"validate", "--client", "Codex", "--address", "http://x", "--model", "a"},
         "k",
         "",
         1,
         zh("model.form.address-not-https") + "\n"},
        {{"validate", "--client", "workBuddy", "--address", "https://x", "--auth", "x-api-key",
          "--model", "a"},
         "k",
         "",
         1,
         zh("model.form.workbuddy-needs-bearer") + "\n"},
        {{"validate", "--client", "Claude", "--address", "https://x", "--model", "a"},
         std::nullopt,
         "",
         1,
         zh("model.form.key-incomplete") + "\n"},
        {{"validate", "--client", "claude", "--address", "https://x", "--model", "opus",
          "--key-stdin"},
         std::nullopt,
         "sk-from-stdin\nignored\n",
         0,
         ""},
        {{"validate", "--client", "nobody", "--address", "https://x", "--model", "a"},
         "k",
         "",
         2,
         ""},
        {{"validate", "--client", "codex", "--address", "https://x"}, "k", "", 2, ""},
        {{"validate", "--client", "codex", "--address", "https://x", "--model", "a", "--auth",
          "basic"},
         "k",
         "",
         2,
         ""},
        {{"validate", "--client", "codex", "--address", "https://x", "--model", "a", "--key", "sk"},
         "k",
         "",
         2,
         ""},
        {{}, "k", "", 2, ""},
        // A key is at most 16 KiB: more is something else pasted.
        {{"validate", "--client", "codex", "--address", "https://x", "--model", "a"},
         std::string(16 * 1024, 'k'),
         "",
         0,
         ""},
        {{"validate", "--client", "codex", "--address", "https://x", "--model", "a"},
         std::string(16 * 1024 + 1, 'k'),
         "",
         1,
         zh("model.form.key-incomplete") + "\n"},
    };
    for (const Case& c : cases) {
        const ProgramResult result = corvane(c.arguments, c.key, c.input);
        EXPECT_EQ(result.exitStatus, c.exitStatus) << result.error;
        if (!c.error.empty()) {
            EXPECT_EQ(result.error, c.error);
        }
    }
}

TEST(ValidateCommand, HermesTakesOneModelInEveryCommand) {
    for (const char* command : {"validate", "check", "apply"}) {
        const ProgramResult result = corvane({command, "--client", "hermes", "--address",
                                              "https://x", "--model", "a", "--model", "b"},
                                             "k");
        EXPECT_EQ(result.exitStatus, 2) << command;
        EXPECT_NE(
            result.error.find(zh("model.form.one-model-only", {{"client", "Hermes Desktop"}})),
            std::string::npos)
            << command << ": " << result.error;
    }
}

TEST(ClientsCommand, ListsEveryClientInOrder) {
    testing::TempHome home;
    const ProgramResult text = corvane({"clients"}, std::nullopt);
    ASSERT_EQ(text.exitStatus, 0);
    EXPECT_EQ(text.output.substr(0, text.output.find('\n')), "Claude\tAnthropic Messages\t-");
    EXPECT_NE(text.output.find(
                  "OpenClaw（小龙虾）\tOpenAI Chat Completions\t~/.openclaw/openclaw.json\n"),
              std::string::npos);

    const ProgramResult json = corvane({"clients", "--json"}, std::nullopt);
    ASSERT_EQ(json.exitStatus, 0);
    const auto list = nlohmann::json::parse(json.output);
    ASSERT_EQ(list.size(), 7u);
    EXPECT_EQ(list[6]["name"], "Cursor / Grok Build");
    EXPECT_TRUE(list[6]["defaultPath"].is_null());
    // What scripts read does not follow the user's language.
    const ProgramResult english = corvane({"--lang", "en", "clients", "--json"}, std::nullopt);
    EXPECT_EQ(nlohmann::json::parse(english.output), list);
}

// Random bytes in every option and on standard input: the program may refuse
// them but must always end with one of its own exit statuses.
TEST(ValidateCommand, SurvivesRandomInput) {
    std::mt19937 random(8);
    auto bytes = [&](std::size_t maxLength) {
        std::string result;
        for (std::size_t i = random() % maxLength; i > 0; --i) {
            result += static_cast<char>(1 + random() % 255);
        }
        return result;
    };
    for (int i = 0; i < 60; ++i) {
        std::vector<std::string> arguments{"validate",
                                           "--client",
                                           i % 3 ? "openCode" : bytes(12),
                                           "--address",
                                           "https://" + bytes(30),
                                           "--model",
                                           bytes(16)};
        if (i % 2) arguments.push_back("--key-stdin");
        if (i % 5 == 0) arguments.push_back(bytes(10));
        const ProgramResult result = corvane(arguments, bytes(20), bytes(64));
        EXPECT_TRUE(result.exitStatus == 0 || result.exitStatus == 1 || result.exitStatus == 2)
            << "exit " << result.exitStatus << ": " << result.error;
    }
}

}  // namespace
}  // namespace corvane
