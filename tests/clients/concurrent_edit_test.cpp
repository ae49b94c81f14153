// Another program that changes the file while a reset runs wins: the reset is
// refused and writes nothing. The reset-race tool makes the change at the one
// moment that matters, after the reset has read the file and before it writes.

#include <gtest/gtest.h>

#include "files/config_files.h"
#include "support/catalogue_text.h"
#include "support/gateway_samples.h"
#include "support/run_program.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using testing::readFile;
using testing::writeFile;

struct Target {
    Client client;
    std::string relativePath;
    std::string original;
};

const Target kTargets[] = {
    {Client::openCode, "xdg/opencode/opencode.json", R"({"theme": "mine"})"},
    {Client::openCode, "xdg/opencode/opencode.jsonc", "// mine\n{\"theme\": \"mine\"}"},
    {Client::openClaw, ".openclaw/openclaw.json", R"({"gateway": {"port": 1}})"},
    {Client::workBuddy, ".workbuddy/models.json", R"([{"id": "mine"}])"},
};

// What reset-race printed for one reset of `client`, `change` made to `file`.
std::string raceReset(Client client, const std::string& change, const std::filesystem::path& file) {
    testing::ProgramRun run;
    run.program = CORVANE_RESET_RACE_PATH;
    run.arguments = {std::string(caseName(client)), change, file.string()};
    const testing::ProgramResult result = testing::runProgram(run);
    EXPECT_EQ(result.exitStatus, 0) << result.error;
    return result.output;
}

TEST(ConcurrentEdit, AResetRefusesAFileChangedAfterItWasRead) {
    for (const Target& target : kTargets) {
        for (const std::string change : {"edit", "delete"}) {
            SCOPED_TRACE(target.relativePath + " " + change);
            testing::TempHome home;
            home.setEnvironment("XDG_CONFIG_HOME", (home.path() / "xdg").string());
            const std::filesystem::path file = home.path() / target.relativePath;
            writeFile(file, target.original);
            testing::sampleConfiguration(target.client).save({std::nullopt, "1.0"});
            const std::string applied = readFile(file);
            const std::filesystem::path backup = recoveryBackupURL(file);
            ASSERT_EQ(readFile(backup), target.original);

            EXPECT_EQ(raceReset(target.client, change, file),
                      "refused: " + testing::zh("files.config.changed-under-us") + "\n");
            if (change == "edit") {
                EXPECT_EQ(readFile(file), applied + "\n");
            } else {
                EXPECT_FALSE(std::filesystem::exists(file));
            }
            EXPECT_EQ(readFile(backup), target.original);
        }
    }
}

TEST(ConcurrentEdit, AResetWithoutAConcurrentChangeGoesThrough) {
    testing::TempHome home;
    const std::filesystem::path file = home.path() / ".openclaw/openclaw.json";
    testing::sampleConfiguration(Client::openClaw).save({});
    // The tool changes a file nobody reads, so the reset is not disturbed.
    EXPECT_EQ(raceReset(Client::openClaw, "edit", home.path() / "elsewhere"), "reset: true\n");
    EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace corvane
