#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "model/displayable_lines.h"
#include "model/text.h"
#include "support/hostile_text.h"
#include "support/run_program.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

// Values read from a client's file reach the terminal escaped, and the JSON
// form as the file has them, with what the terminal would act on as \u escapes.
TEST(StatusCommand, ShowsTheFilesValuesEscaped) {
    testing::TempHome home;
    nlohmann::json models = nlohmann::json::array();
    std::vector<std::string> raw;
    std::string shown;
    for (const testing::HostileText& text : testing::hostileTexts()) {
        if (!isValidUtf8(text.raw)) continue;
        models.push_back({{"id", text.raw}});
        raw.push_back(text.raw);
        shown += (shown.empty() ? "" : ", ") + text.shown;
    }
    const nlohmann::json file = {
        {"models",
         {{"providers",
           {{"corvane-desktop", {{"baseUrl", "https://gw.example/v1"}, {"models", models}}}}}}}};
    const auto path = home.path() / "openclaw.json";
    testing::writeFile(path, file.dump());

    testing::ProgramRun run;
    run.program = CORVANE_CLI_PATH;
    run.arguments = {"status", "--client", "openClaw", "--config", path.string()};
    const testing::ProgramResult text = testing::runProgram(run);
    ASSERT_EQ(text.exitStatus, 0) << text.error;
    EXPECT_NE(text.output.find("\t" + shown + "\n"), std::string::npos) << text.output;
    EXPECT_EQ(text.output.find('\x1b'), std::string::npos);
    EXPECT_EQ(text.output.find("\u202E"), std::string::npos);

    run.arguments.push_back("--json");
    const testing::ProgramResult json = testing::runProgram(run);
    ASSERT_EQ(json.exitStatus, 0) << json.error;
    EXPECT_EQ(nlohmann::json::parse(json.output)[0]["models"], raw);
    EXPECT_EQ(displayableLines(json.output), json.output);

    // A value JSON cannot hold shows as U+FFFD.
    testing::writeFile(home.path() / ".codex/config.toml",
                       "model = 'gpt\xff'\n[model_providers.corvane_desktop_setup]\n");
    run.arguments = {"status", "--client", "codex", "--json"};
    const testing::ProgramResult codex = testing::runProgram(run);
    ASSERT_EQ(codex.exitStatus, 0) << codex.error;
    EXPECT_EQ(nlohmann::json::parse(codex.output)[0]["models"],
              std::vector<std::string>{"gpt\uFFFD"});
}

}  // namespace
}  // namespace corvane
