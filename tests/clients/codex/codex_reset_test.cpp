#include "clients/codex/codex_reset.h"

#include <gtest/gtest.h>
#include <toml++/toml.h>

#include "clients/client_configuration_reset.h"
#include "clients/codex/codex_files.h"
#include "clients/selected_client_configuration.h"
#include "files/edit_check_failed.h"
#include "model/setup_error.h"
#include "support/catalogue_text.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using testing::readFile;
using testing::TempHome;
using testing::writeFile;

const std::filesystem::path kCorpus = std::filesystem::path(CORVANE_TEST_DATA_DIR) / "codex";

SelectedClientConfiguration codex(std::string_view scheme = "bearer") {
    return {Client::codex,
            GatewaySettings("https://gw.example.test", "sk-test-123", scheme,
                            {ModelRow("gpt-gw", ""), ModelRow("other", "")}, Client::codex),
            ""};
}

struct CodexFiles {
    std::filesystem::path config = codexConfigURL();
    std::filesystem::path catalog = codexModelCatalogURL();
    std::filesystem::path backup = config.parent_path() / ".config.toml.corvane-backup";
};

// Replaces one whole line of a file, as a user editing it by hand would.
void editLine(const std::filesystem::path& file, const std::string& from, const std::string& to) {
    std::string text = readFile(file);
    const auto at = text.find(from + "\n");
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    writeFile(file, text);
}

TEST(CodexReset, DeletesWhatItWroteOnAFreshSystem) {
    TempHome home;
    const CodexFiles files;
    codex("x-api-key").saveCodex();
    ASSERT_TRUE(std::filesystem::exists(files.catalog));
    EXPECT_TRUE(resetCodex());
    EXPECT_FALSE(std::filesystem::exists(files.config));
    EXPECT_FALSE(std::filesystem::exists(files.backup));
    EXPECT_FALSE(std::filesystem::exists(files.catalog));
    EXPECT_FALSE(resetCodex());
}

// Files whose own keys of the tool's kind already stand where the reset puts
// them back (catalog and effort first, then model and provider) come back
// byte for byte.
TEST(CodexReset, ApplyThenResetGivesTheFileBack) {
    std::vector<std::string> texts = {
        "model = \"o3\"\nmodel_provider = \"openai\"\n# mine\n[t]\nx = 1\n",
        "model_catalog_json = \"/x/catalog.json\"\nmodel_reasoning_effort = \"high\"\n"
        "model = 'o3' # pinned\nmodel_provider = \"openai\"\nrest = [\n  1,\n]\n"
        "[model_providers.openai]\nname = \"OpenAI\"\n",
        "model_reasoning_effort = \"low\"\nx = 1\n",
        "[model_providers.other]\nname = \"x\"\n[model_providers.other.http_headers]\na = \"b\"\n",
    };
    for (const char* name : {"multiline-strings.toml", "unicode.toml"}) {
        texts.push_back(readFile(kCorpus / name));
    }
    for (const std::string& text : texts) {
        for (const char* scheme : {"bearer", "x-api-key"}) {
            TempHome home;
            const CodexFiles files;
            writeFile(files.config, text);
            codex(scheme).saveCodex();
            codex(scheme).saveCodex();
            ASSERT_NE(readFile(files.config), text);
            EXPECT_TRUE(resetCodex());
            EXPECT_EQ(readFile(files.config), text);
            EXPECT_FALSE(std::filesystem::exists(files.backup));
            EXPECT_FALSE(std::filesystem::exists(files.catalog));
        }
    }
}

// Whatever the user's file looked like, it comes back byte for byte.
TEST(CodexReset, ApplyThenResetGivesEveryFileOfTheCorpusBack) {
    for (const auto& item : std::filesystem::directory_iterator(kCorpus)) {
        if (item.path().filename().string().starts_with("broken-")) continue;
        TempHome home;
        const CodexFiles files;
        const std::string text = readFile(item.path());
        writeFile(files.config, text);
        codex().saveCodex();
        EXPECT_TRUE(resetCodex()) << item.path();
        const std::string restored = readFile(files.config);
        EXPECT_EQ(restored, text) << item.path();
        EXPECT_FALSE(std::filesystem::exists(files.catalog));
    }
}

TEST(CodexReset, RespectsWhatTheUserChangedAfterSetup) {
    const std::string user =
        "# top\nmodel = \"o3\"\nmodel_provider = \"openai\"\nmodel_reasoning_effort = "
        "\"high\"\n[t]\nx = 1\n";
    const struct {
        std::string name;
        std::string from;
        std::string to;
        std::string expected;
    } cases[] = {
        {"model changed, provider still the tool's: nothing else changed, the file comes back",
         "model = \"gpt-gw\"", "model = \"mine\"", user},
        {"provider changed: no binding line touched", "model_provider = \"corvane_desktop_setup\"",
         "model_provider = \"azure\"",
         "model_reasoning_effort = \"high\"\nmodel = \"gpt-gw\"\nmodel_provider = \"azure\"\n"
         "# top\n[t]\nx = 1\n"},
        {"provider line commented out: a comment naming the tool is the user's",
         "model_provider = \"corvane_desktop_setup\"",
         "# model_provider = \"corvane_desktop_setup\"",
         "model_reasoning_effort = \"high\"\nmodel = \"gpt-gw\"\n"
         "# model_provider = \"corvane_desktop_setup\"\n# top\n[t]\nx = 1\n"},
        {"a string names the tool's provider", "model_provider = \"corvane_desktop_setup\"",
         "note = \"corvane_desktop_setup\"",
         "model_reasoning_effort = \"high\"\nmodel = \"gpt-gw\"\n"
         "note = \"corvane_desktop_setup\"\n# top\n[t]\nx = 1\n"},
        {"effort changed: the user's value stays, the earlier one stays away",
         "model_reasoning_effort = \"low\"", "model_reasoning_effort = \"medium\"",
         "model = \"o3\"\nmodel_provider = \"openai\"\nmodel_reasoning_effort = \"medium\"\n"
         "# top\n[t]\nx = 1\n"},
        {"catalog line removed by hand: effort \"low\" is left to the user",
         "model_catalog_json = \"{catalog}\"", "# no catalog",
         "model = \"o3\"\nmodel_provider = \"openai\"\n# no catalog\n"
         "model_reasoning_effort = \"low\"\n# top\n[t]\nx = 1\n"},
    };
    for (const auto& c : cases) {
        TempHome home;
        const CodexFiles files;
        writeFile(files.config, user);
        codex().saveCodex();
        std::string from = c.from;
        if (const auto at = from.find("{catalog}"); at != std::string::npos) {
            from.replace(at, 9, files.catalog.string());
        }
        editLine(files.config, from, c.to);
        EXPECT_TRUE(resetCodex()) << c.name;
        EXPECT_EQ(readFile(files.config), c.expected) << c.name;
        EXPECT_FALSE(std::filesystem::exists(files.catalog)) << c.name;
        EXPECT_FALSE(std::filesystem::exists(files.backup)) << c.name;
    }
}

TEST(CodexReset, FindsEachTraceOfTheToolOnItsOwn) {
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"a = 1\n\n\n[model_providers.corvane_desktop_setup.http_headers]\nx-api-key = \"k\"\n",
         "a = 1\n"},
        {"\n\nmodel_provider = 'corvane_desktop_setup' # x\nmodel = \"m\"\nb = 2\n\n", "b = 2\n"},
        {"model_catalog_json = \"{catalog}\"\nmodel_reasoning_effort = 'low'\nc = 3", "c = 3\n"},
        {"a = 1\r\n[model_providers.corvane_desktop_setup]\r\nname = \"x\"\r\n[u]\r\nb = 2\r\n",
         "a = 1\r\n[u]\r\nb = 2\r\n"},
    };
    for (const auto& c : cases) {
        TempHome home;
        const CodexFiles files;
        std::string text = c.text;
        if (const auto at = text.find("{catalog}"); at != std::string::npos) {
            text.replace(at, 9, files.catalog.string());
        }
        writeFile(files.config, text);
        writeFile(files.catalog, "{}");
        EXPECT_TRUE(resetCodex()) << text;
        EXPECT_EQ(readFile(files.config), c.expected) << text;
        EXPECT_FALSE(std::filesystem::exists(files.catalog));
    }
}

TEST(CodexReset, LeavesAFileWithoutTheToolsTracesAlone) {
    TempHome home;
    const CodexFiles files;
    EXPECT_FALSE(resetCodex());
    const std::string text =
        "model = \"o3\"\nmodel_provider = \"corvane_desktop_setup_2\"\n"
        "model_catalog_json = \"/elsewhere/corvane-model-catalog.json\"\n"
        "[model_providers.corvane]\n[t]\nmodel_provider = \"corvane_desktop_setup\"\n";
    writeFile(files.config, text);
    writeFile(files.backup, "model = \"x\"\n");
    writeFile(files.catalog, "{}");
    EXPECT_FALSE(resetCodex());
    EXPECT_EQ(readFile(files.config), text);
    EXPECT_TRUE(std::filesystem::exists(files.backup));
    EXPECT_TRUE(std::filesystem::exists(files.catalog));
}

// The user put their own file back after an apply and changed it since; the
// next apply's reset gives back that file, not the one from before the first.
TEST(CodexReset, AFileTheUserPutBackIsWhatTheNextResetGivesBack) {
    TempHome home;
    const CodexFiles files;
    writeFile(files.config, "model = \"o3\"\nx = 1\n");
    codex().save({});
    const std::string own = "model = \"gpt-5\"\nmodel_provider = \"azure\"\nx = 1\ny = 2\n";
    writeFile(files.config, own);
    codex().save({});
    EXPECT_EQ(readFile(files.backup), own);
    EXPECT_TRUE(resetCodex());
    EXPECT_EQ(readFile(files.config), own);
}

// Users append to the end of config.toml, which is after the tool's table.
TEST(CodexReset, LinesAppendedAfterTheToolsTableSurviveAnotherApplyAndTheReset) {
    TempHome home;
    const CodexFiles files;
    const std::string own = "model = \"o3\"\napproval_policy = \"never\"\n";
    writeFile(files.config, own);
    codex().save({});
    const std::string appended =
        "\n# My MCP servers -- keep this note\n[mcp_servers.docs]\ncommand = \"npx\"\n";
    writeFile(files.config, readFile(files.config) + appended);
    codex("x-api-key").save({});
    EXPECT_NE(readFile(files.config).find(appended), std::string::npos) << readFile(files.config);
    EXPECT_TRUE(resetCodex());
    EXPECT_EQ(readFile(files.config), own + appended);
}

TEST(CodexReset, CurrentFileMustBeUtf8ButABackupNeedNotBe) {
    TempHome home;
    const CodexFiles files;
    const std::string broken = "model_provider = \"corvane_desktop_setup\"\nx = \"\xc3\"\n";
    writeFile(files.config, broken);
    try {
        resetCodex();
        ADD_FAILURE();
    } catch (const SetupError& error) {
        EXPECT_EQ(error.text(), testing::zh("clients.codex.reset-not-utf8"));
    }
    EXPECT_EQ(readFile(files.config), broken);

    writeFile(files.config, "model_provider = \"corvane_desktop_setup\"\nx = 1\n");
    writeFile(files.backup, "model = \"\xff\"\n");
    EXPECT_TRUE(resetCodex());
    EXPECT_EQ(readFile(files.config), "x = 1\n");
    EXPECT_FALSE(std::filesystem::exists(files.backup));
}

// A file whose provider table a string left open has swallowed (as earlier
// versions wrote it): the line model cannot take the table out, so the reset
// fails and keeps everything, the backup included.
TEST(CodexReset, NeverReportsSuccessWhileTheToolsTableStays) {
    TempHome home;
    const CodexFiles files;
    const std::string swallowed =
        "model_provider = \"corvane_desktop_setup\"\nnote = \"\"\"\n"
        "[model_providers.corvane_desktop_setup]\nexperimental_bearer_token = \"sk-1\"\n";
    writeFile(files.config, swallowed);
    writeFile(files.backup, "x = 1\n");
    EXPECT_THROW(resetCodex(), EditCheckFailed);
    EXPECT_EQ(readFile(files.config), swallowed);
    EXPECT_EQ(readFile(files.backup), "x = 1\n");
}

TEST(CodexReset, IsTheCodexBranchOfTheClientReset) {
    TempHome home;
    const auto folder = home.path() / "codex home";
    home.setEnvironment("CODEX_HOME", folder.string());
    writeFile(folder / "config.toml", "keep = true\n");
    codex().saveCodex();
    EXPECT_TRUE(ClientConfigurationReset(Client::codex, "~/ignored.toml").run({}));
    EXPECT_EQ(readFile(folder / "config.toml"), "keep = true\n");
    EXPECT_FALSE(ClientConfigurationReset(Client::codex, "").run({}));
}

}  // namespace
}  // namespace corvane
