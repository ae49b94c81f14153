#include "clients/opencode/opencode_reset.h"

#include <gtest/gtest.h>

#include "clients/client_configuration_reset.h"
#include "files/json5.h"
#include "model/setup_error.h"
#include "support/catalogue_text.h"
#include "support/gateway_samples.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using nlohmann::json;
using testing::parsedFile;
using testing::readFile;
using testing::writeFile;

const json kTool = {{"name", testing::zh("clients.provider-name")}};

class OpenCodeReset : public ::testing::Test {
protected:
    OpenCodeReset() { home.setEnvironment("XDG_CONFIG_HOME", (home.path() / "xdg").string()); }

    std::filesystem::path file(const std::string& name = "opencode.json") const {
        return home.path() / "xdg/opencode" / name;
    }
    std::filesystem::path backup(const std::string& name = "opencode.json") const {
        return home.path() / "xdg/opencode" / ("." + name + ".corvane-backup");
    }

    testing::TempHome home;
};

TEST_F(OpenCodeReset, LeavesFilesWithoutItsProviderAlone) {
    EXPECT_FALSE(resetOpenCode());
    const std::string cases[] = {
        "{ this is not json",                                             // never parsed
        R"({"provider": {"ollama": {}}, "model": "ollama/x"})",           // no marker
        R"({"model": "corvane-desktop/a", "theme": "corvane-desktop"})",  // marker only in values
        R"({"provider": {"x": {"corvane-desktop": 1}}, "providers": "corvane-desktop"})",
    };
    for (const std::string& content : cases) {
        SCOPED_TRACE(content);
        writeFile(file(), content);
        writeFile(file("opencode.jsonc"), content);
        EXPECT_FALSE(resetOpenCode());
        EXPECT_EQ(readFile(file()), content);
        EXPECT_EQ(readFile(file("opencode.jsonc")), content);
    }
}

TEST_F(OpenCodeReset, TakesItsProviderOutOfBothTablesAndBothFiles) {
    writeFile(file(), json({{"provider", {{"corvane-desktop", kTool}}},
                            {"providers", {{"corvane-desktop", kTool}, {"legacy", kTool}}},
                            {"theme", "system"}})
                          .dump());
    writeFile(file("opencode.jsonc"),
              "// mine\n{\"provider\": {\"corvane-desktop\": {}, \"ollama\": {}}}");
    EXPECT_TRUE(resetOpenCode());
    EXPECT_EQ(parsedFile(file()), json({{"providers", {{"legacy", kTool}}}, {"theme", "system"}}));
    EXPECT_EQ(readFile(file("opencode.jsonc")), "// mine\n{\"provider\": {\"ollama\": {}}}");
}

TEST_F(OpenCodeReset, PutsBackTheEarlierModel) {
    struct Case {
        json current;
        std::optional<std::string> backup;  // nothing: no backup file
        std::optional<json> expected;       // nothing: "model" removed
    };
    const Case cases[] = {
        {"corvane-desktop/a", R"({"model": "anthropic/claude"})", json("anthropic/claude")},
        {"corvane-desktop/a", R"({"model": 42})", json(42)},
        {"corvane-desktop/a", R"({"model": {"id": "x"}})", json({{"id", "x"}})},
        {"corvane-desktop/a", R"({"theme": "x"})", std::nullopt},
        {"corvane-desktop/a", R"({"model": "corvane-desktop/old"})", std::nullopt},
        {"corvane-desktop/a", "", std::nullopt},
        {"corvane-desktop/a", std::nullopt, std::nullopt},
        // The user's own choice after the apply stays.
        {"openai/gpt-5", R"({"model": "anthropic/claude"})", json("openai/gpt-5")},
        {json::array({"corvane-desktop/a"}), R"({"model": "x"})",
         json::array({"corvane-desktop/a"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.current.dump() + " / " + c.backup.value_or("(no backup)"));
        writeFile(
            file(),
            json({{"model", c.current}, {"provider", {{"corvane-desktop", kTool}}}, {"theme", "x"}})
                .dump());
        std::filesystem::remove(backup());
        if (c.backup) writeFile(backup(), *c.backup);
        EXPECT_TRUE(resetOpenCode());
        json written = parsedFile(file());
        if (c.expected) {
            EXPECT_EQ(written["model"], *c.expected);
        } else {
            EXPECT_FALSE(written.contains("model"));
        }
        EXPECT_FALSE(std::filesystem::exists(backup()));
    }
}

TEST_F(OpenCodeReset, DeletesAFileThatHeldOnlyTheToolsEntries) {
    testing::sampleConfiguration(Client::openCode).save({std::nullopt, "1.0"});
    ASSERT_EQ(readFile(backup()), "");
    EXPECT_TRUE(ClientConfigurationReset(Client::openCode, "ignored.json").run({}));
    EXPECT_FALSE(std::filesystem::exists(file()));
    EXPECT_FALSE(std::filesystem::exists(backup()));
    // A file that existed before stays, even when nothing else is left in it.
    writeFile(file(), "{}");
    testing::sampleConfiguration(Client::openCode).save({std::nullopt, "1.0"});
    EXPECT_TRUE(resetOpenCode());
    EXPECT_EQ(parsedFile(file()), json::object());
    EXPECT_FALSE(std::filesystem::exists(backup()));
}

TEST_F(OpenCodeReset, StopsAtABackupItCannotRead) {
    const std::string content =
        R"({"provider": {"corvane-desktop": {}}, "model": "corvane-desktop/a"})";
    writeFile(file(), content);
    writeFile(backup(), "[]");
    try {
        resetOpenCode();
        ADD_FAILURE() << "reset";
    } catch (const SetupError& error) {
        EXPECT_EQ(error.text(), testing::zh("files.config.not-an-object"));
    }
    EXPECT_EQ(readFile(file()), content);
    EXPECT_EQ(readFile(backup()), "[]");
}

TEST(ClientConfigurationResetDispatch, ClaudeAndCursorHaveNothingToReset) {
    testing::TempHome home;
    for (const Client client : {Client::claude, Client::cursor}) {
        EXPECT_FALSE(ClientConfigurationReset(client, "~/x.json").run({}));
    }
    EXPECT_TRUE(std::filesystem::is_empty(home.path()));
}

}  // namespace
}  // namespace corvane
