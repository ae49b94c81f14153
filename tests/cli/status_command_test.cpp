#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "model/text.h"
#include "support/hostile_text.h"
#include "support/run_program.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

// Values read from a client's file reach the terminal escaped, and the JSON
// form exactly as the file has them.
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
}

}  // namespace
}  // namespace corvane
