// The promise users care most about: what the tool wrote into a client's
// configuration can be taken out again, leaving the file byte for byte as it
// was, with no backup and no stray file behind; and what the user changed in
// between stays.

#include <gtest/gtest.h>

#include <functional>

#include "clients/client_configuration_reset.h"
#include "clients/client_status.h"
#include "files/config_files.h"
#include "files/editable_json.h"
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

struct Apply {
    std::string auth;
    std::vector<ModelRow> rows;
    std::optional<std::string> version;  // of the installed application
};

struct Scenario {
    std::string name;
    std::vector<Apply> applies;
};

// A user's later edit, made to the file after the applies and expected to
// survive the reset.
using Edit = std::function<void(std::optional<json>&)>;

struct ClientCorpus {
    Client client;
    std::string folder;  // below tests/data
    // Where the client keeps the file, given the temporary home and the
    // corpus file's name.
    std::function<std::filesystem::path(const std::filesystem::path&, const std::string&)> target;
    std::vector<Scenario> scenarios;
    Edit edit;
};

const std::vector<ModelRow> kOne{ModelRow("gw-model", "")};
const std::vector<ModelRow> kTwo{ModelRow("deepseek-v3.2", "DeepSeek"),
                                 ModelRow("qwen3/coder", "")};

std::vector<ClientCorpus> corpora() {
    return {
        {Client::openCode,
         "opencode",
         [](const std::filesystem::path& home, const std::string& name) {
             return home / "xdg/opencode" /
                    (name.ends_with(".jsonc") ? "opencode.jsonc" : "opencode.json");
         },
         {{"single-provider layout, bearer", {{"bearer", kOne, "1.3.2"}}},
          {"single-provider layout, x-api-key", {{"x-api-key", kTwo, "1.0"}}},
          {"providers layout, bearer", {{"bearer", kTwo, "2.1.0"}}},
          {"providers layout without a version, x-api-key", {{"x-api-key", kOne, std::nullopt}}},
          {"two applies", {{"bearer", kOne, "1.2"}, {"x-api-key", kTwo, "1.4"}}},
          {"two applies across an upgrade", {{"x-api-key", kTwo, "1.9"}, {"bearer", kOne, "2.0"}}}},
         [](std::optional<json>& value) {
             if (!value) value = json::object();
             (*value)["theme"] = "tokyonight";
             (*value)["model"] = "my-lab/m1";
             (*value)["provider"]["my-lab"] = {{"npm", "@ai-sdk/openai-compatible"},
                                               {"options", {{"baseURL", "http://lab:8000/v1"}}}};
         }},
        {Client::openClaw,
         "openclaw",
         [](const std::filesystem::path& home, const std::string&) {
             return home / ".openclaw/openclaw.json";
         },
         {{"bearer", {{"bearer", kTwo, {}}}},
          {"x-api-key", {{"x-api-key", kOne, {}}}},
          {"two applies", {{"bearer", kOne, {}}, {"x-api-key", kTwo, {}}}}},
         [](std::optional<json>& value) {
             if (!value) value = json::object();
             (*value)["agents"]["defaults"]["models"]["my-lab/m1"] = {{"alias", "mine"}};
             (*value)["channels"]["discord"] = {{"enabled", false}};
         }},
        {Client::workBuddy,
         "workbuddy",
         [](const std::filesystem::path& home, const std::string&) {
             return home / ".workbuddy/models.json";
         },
         {{"bearer", {{"bearer", kTwo, {}}}},
          {"two applies",
           {{"bearer", kTwo, {}},
            {"bearer", {ModelRow("qwen3/coder", ""), ModelRow("k2", "")}, {}}}}},
         [](std::optional<json>& value) {
             if (!value) value = json::array();
             value->push_back({{"id", "mine"}, {"name", "mine"}, {"vendor", "Custom"}});
         }},
    };
}

// Each corpus file by name, and "" for a client that had no file.
std::vector<std::string> corpusFiles(const std::string& folder) {
    std::vector<std::string> names{""};
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(CORVANE_TEST_DATA_DIR) / folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class RoundTrip : public ::testing::Test {
protected:
    // Places the corpus file (none for "") where the client keeps it and
    // returns that place and the file's bytes.
    std::pair<std::filesystem::path, std::optional<Bytes>> place(const ClientCorpus& corpus,
                                                                 const std::string& name) {
        const std::filesystem::path target = corpus.target(home->path(), name);
        if (name.empty()) return {target, std::nullopt};
        const std::filesystem::path source =
            std::filesystem::path(CORVANE_TEST_DATA_DIR) / corpus.folder / name;
        writeFile(target, readFile(source));
        return {target, readFile(source)};
    }

    // Every written file reads back, and stays strict JSON when it was.
    void apply(const ClientCorpus& corpus, const Scenario& scenario,
               const std::filesystem::path& target, const std::optional<Bytes>& original) {
        for (const Apply& step : scenario.applies) {
            testing::sampleConfiguration(corpus.client, step.auth, step.rows)
                .save({std::nullopt, step.version});
            const Bytes written = readFile(target);
            EXPECT_NO_THROW(parsedFile(target));
            if (!original || json::accept(*original)) {
                EXPECT_TRUE(json::accept(written));
            }
        }
    }

    bool reset(Client client) { return ClientConfigurationReset(client, "").run({}); }

    // Fresh home (and XDG folder) for each run.
    void freshHome() {
        home.reset();
        home.emplace();
        home->setEnvironment("XDG_CONFIG_HOME", (home->path() / "xdg").string());
    }

    void expectRestored(const std::filesystem::path& target, const std::optional<Bytes>& expected) {
        if (expected) {
            ASSERT_TRUE(std::filesystem::exists(target));
            EXPECT_EQ(readFile(target), *expected);
        } else {
            EXPECT_FALSE(std::filesystem::exists(target));
        }
        EXPECT_FALSE(std::filesystem::exists(recoveryBackupURL(target)));
        if (std::filesystem::exists(target.parent_path())) {
            for (const auto& entry : std::filesystem::directory_iterator(target.parent_path())) {
                EXPECT_FALSE(entry.path().filename().string().starts_with(".corvane-"))
                    << entry.path();
            }
        }
    }

    std::optional<testing::TempHome> home;
};

TEST_F(RoundTrip, ResetGivesBackTheFileAsItWasBeforeTheApplies) {
    for (const ClientCorpus& corpus : corpora()) {
        for (const std::string& name : corpusFiles(corpus.folder)) {
            for (const Scenario& scenario : corpus.scenarios) {
                SCOPED_TRACE(corpus.folder + "/" + (name.empty() ? "(no file)" : name) + ", " +
                             scenario.name);
                freshHome();
                const auto [target, before] = place(corpus, name);
                apply(corpus, scenario, target, before);
                const Bytes applied = readFile(target);
                ASSERT_NE(applied.find("corvane-"), std::string::npos);
                EXPECT_EQ(clientConfigurationStatus(corpus.client, "").configured, true);

                // A dry run writes nothing and shows what the reset writes.
                const std::optional<FilePlan> plan =
                    ClientConfigurationReset(corpus.client, "").plan({}, {});
                ASSERT_TRUE(plan);
                EXPECT_EQ(readFile(target), applied);
                EXPECT_TRUE(reset(corpus.client));
                expectRestored(target, before);
                EXPECT_EQ(plan->front().path, target);
                EXPECT_EQ(plan->front().content, before);
                EXPECT_EQ(clientConfigurationStatus(corpus.client, "").configured, false);

                // Nothing of the tool's is left to take out.
                const std::optional<Bytes> after = configurationData(target);
                EXPECT_FALSE(reset(corpus.client));
                EXPECT_EQ(configurationData(target), after);
            }
        }
    }
}

TEST_F(RoundTrip, ResetKeepsWhatTheUserChangedAfterTheApply) {
    for (const ClientCorpus& corpus : corpora()) {
        for (const std::string& name : corpusFiles(corpus.folder)) {
            const Scenario& scenario = corpus.scenarios.back();
            SCOPED_TRACE(corpus.folder + "/" + (name.empty() ? "(no file)" : name));
            freshHome();
            const auto [target, original] = place(corpus, name);
            apply(corpus, scenario, target, original);
            // The user edits the file by hand, touching nothing else; the
            // reset must leave the file as that edit would have left the
            // original.
            const auto edited = [&](const std::optional<Bytes>& text) {
                const std::optional<EditableJson> document = editableJson(text);
                std::optional<json> value;
                if (document) value = document->value();
                corpus.edit(value);
                return jsonConfigurationText(document, *value);
            };
            writeFile(target, edited(readFile(target)));

            EXPECT_TRUE(reset(corpus.client));
            expectRestored(target, edited(original));
        }
    }
}

// The user puts a file of their own in place of the tool's, by hand or from a
// copy, and applies again: the reset gives back that file, not the one from
// before the first apply (nor no file at all).
TEST_F(RoundTrip, ResetGivesBackTheUsersOwnFileAfterTheToolsWasReplaced) {
    for (const ClientCorpus& corpus : corpora()) {
        for (const std::string& name : corpusFiles(corpus.folder)) {
            SCOPED_TRACE(corpus.folder + "/" + (name.empty() ? "(no file)" : name));
            freshHome();
            const auto [target, original] = place(corpus, name);
            const Scenario& once = corpus.scenarios.front();
            apply(corpus, once, target, original);
            const std::optional<EditableJson> document = editableJson(original);
            std::optional<json> value;
            if (document) value = document->value();
            corpus.edit(value);
            const Bytes own = jsonConfigurationText(document, *value);
            writeFile(target, own);

            apply(corpus, once, target, own);
            EXPECT_TRUE(reset(corpus.client));
            expectRestored(target, own);
        }
    }
}

// Whether a backup is stale is the reset's to say; one it cannot read stays,
// and the apply goes on.
TEST_F(RoundTrip, ABackupTheResetCannotReadStaysAndTheApplyGoesOn) {
    freshHome();
    const std::filesystem::path target = home->path() / ".openclaw/openclaw.json";
    const SelectedClientConfiguration configuration =
        testing::sampleConfiguration(Client::openClaw, "bearer", kOne);
    configuration.save({});
    writeFile(recoveryBackupURL(target), "{ not json");
    EXPECT_NO_THROW(configuration.save({}));
    EXPECT_EQ(readFile(recoveryBackupURL(target)), "{ not json");
}

// The user pastes a second copy of a member after the tool's; the client
// reads the later one, but the tool's key is still in the file. Status sees
// it, and the reset names the file instead of calling it clean.
TEST_F(RoundTrip, AHiddenCopyOfTheToolsEntryIsNeverCalledClean) {
    const struct {
        Client client;
        const char* version;
        std::string pasted;
        std::string file;
    } cases[] = {
        {Client::openCode, "1.3.2", "\"provider\": {\"mine\": {}}", "xdg/opencode/opencode.json"},
        {Client::openClaw, nullptr, "\"models\": {\"providers\": {}}", ".openclaw/openclaw.json"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        freshHome();
        const std::filesystem::path target = home->path() / c.file;
        testing::sampleConfiguration(c.client, "bearer", kOne)
            .save({std::nullopt, c.version ? std::optional<std::string>(c.version) : std::nullopt});
        Bytes text = readFile(target);
        text.insert(text.rfind('}'), ",\n  " + c.pasted + "\n");
        writeFile(target, text);

        EXPECT_EQ(clientConfigurationStatus(c.client, "").configured, true);
        try {
            reset(c.client);
            ADD_FAILURE() << "reset";
        } catch (const SetupError& error) {
            EXPECT_EQ(error.text(), testing::zh("files.config.hidden-member"));
            EXPECT_EQ(error.detail(),
                      testing::zh("files.config.hidden-member-detail",
                                  {{"file", "~/" + c.file}, {"marker", "corvane-desktop"}}));
        }
        EXPECT_EQ(readFile(target), text);
        EXPECT_TRUE(std::filesystem::exists(recoveryBackupURL(target)));
    }
}

}  // namespace
}  // namespace corvane
