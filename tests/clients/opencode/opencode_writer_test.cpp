#include "clients/opencode/opencode_writer.h"

#include <gtest/gtest.h>

#include <tuple>

#include "files/config_files.h"
#include "model/setup_error.h"
#include "support/catalogue_text.h"
#include "support/gateway_samples.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using nlohmann::json;
using testing::kSampleKey;
using testing::parsedFile;
using testing::readFile;
using testing::sampleConfiguration;
using testing::writeFile;

const std::vector<ModelRow> kTwoModels{ModelRow("a", ""), ModelRow("b", "B")};

class OpenCodeWriter : public ::testing::Test {
protected:
    OpenCodeWriter() { home.setEnvironment("XDG_CONFIG_HOME", (home.path() / "xdg").string()); }

    std::filesystem::path folder() const { return home.path() / "xdg/opencode"; }

    void save(std::optional<std::string> version, const std::string& auth = "bearer",
              const std::vector<ModelRow>& rows = kTwoModels) {
        sampleConfiguration(Client::openCode, auth, rows).save({std::nullopt, std::move(version)});
    }

    testing::TempHome home;
};

TEST_F(OpenCodeWriter, WritesExactlyTheLayoutOfTheInstalledVersion) {
    const json singleModels = {{"a", {{"name", "a"}}}, {"b", {{"name", "B"}}}};
    const json thinking = {{"thinking", {{"type", "disabled"}}}};
    const json providersModels = {
        {"model-1", {{"modelID", "a"}, {"name", "a"}, {"body", thinking}}},
        {"model-2", {{"modelID", "b"}, {"name", "B"}, {"body", thinking}}}};
    const std::string url = "https://gw.example.com/api/v1";
    const json single = {{"name", testing::zh("clients.provider-name")},
                         {"npm", "@ai-sdk/openai-compatible"},
                         {"models", singleModels}};
    const json providers = {{"name", testing::zh("clients.provider-name")},
                            {"package", "@opencode/ai/providers/openai-compatible"},
                            {"models", providersModels}};
    const json apiKeyHeader = {{"x-api-key", kSampleKey}};
    struct Case {
        std::optional<std::string> version;
        std::string auth;
        json expected;
    };
    auto with = [](json object, const json& members) {
        object.update(members);
        return object;
    };
    const Case cases[] = {
        {"1.0.3",
         "bearer",
         {{"model", "corvane-desktop/a"},
          {"provider",
           {{"corvane-desktop",
             with(single, {{"options", {{"baseURL", url}, {"apiKey", kSampleKey}}}})}}}}},
        {"1.0.3",
         "x-api-key",
         {{"model", "corvane-desktop/a"},
          {"provider",
           {{"corvane-desktop",
             with(single, {{"options", {{"baseURL", url}, {"headers", apiKeyHeader}}}})}}}}},
        {"2.0",
         "bearer",
         {{"model", "corvane-desktop/model-1"},
          {"providers",
           {{"corvane-desktop",
             with(providers, {{"settings", {{"baseURL", url}, {"apiKey", kSampleKey}}}})}}}}},
        {"2.0",
         "x-api-key",
         {{"model", "corvane-desktop/model-1"},
          {"providers",
           {{"corvane-desktop",
             with(providers, {{"settings", {{"baseURL", url}}}, {"headers", apiKeyHeader}})}}}}},
        // Any scheme text other than exactly "x-api-key" is bearer.
        {"2.0",
         "X-API-KEY",
         {{"model", "corvane-desktop/model-1"},
          {"providers",
           {{"corvane-desktop",
             with(providers, {{"settings", {{"baseURL", url}, {"apiKey", kSampleKey}}}})}}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(*c.version + " " + c.auth);
        std::filesystem::remove_all(folder());
        save(c.version, c.auth);
        EXPECT_EQ(parsedFile(folder() / "opencode.json"), c.expected);
        EXPECT_EQ(readFile(folder() / ".opencode.json.corvane-backup"), "");
        EXPECT_EQ(testing::permissions(folder() / "opencode.json"), 0600u);
    }
}

TEST_F(OpenCodeWriter, OnlyAFirstVersionPieceOfExactlyOneSelectsTheSingleProviderLayout) {
    const std::pair<std::optional<std::string>, bool> cases[] = {
        {"1.0.3", true}, {"1", true},     {"..1.2", true}, {"0.9", false},
        {"2.0", false},  {"10.1", false}, {"01.0", false}, {"1beta.2", false},
        {" 1.0", false}, {"", false},     {"...", false},  {std::nullopt, false},
    };
    for (const auto& [version, single] : cases) {
        SCOPED_TRACE(version.value_or("(none)"));
        std::filesystem::remove_all(folder());
        save(version);
        json written = parsedFile(folder() / "opencode.json");
        EXPECT_EQ(written.contains("provider"), single);
        EXPECT_EQ(written.contains("providers"), !single);
    }
}

TEST_F(OpenCodeWriter, PrefersTheJsoncFileAndLeavesTheOtherAlone) {
    const std::string plain = "{\"theme\": \"plain\"}\n";
    writeFile(folder() / "opencode.json", plain);
    writeFile(
        folder() / "opencode.jsonc",
        "// my setup\n{\n  \"theme\": \"tokyonight\", /* dark */\n  \"autoupdate\": false,\n}\n");
    save("1.2.0");
    EXPECT_EQ(readFile(folder() / "opencode.json"), plain);
    EXPECT_FALSE(std::filesystem::exists(folder() / ".opencode.json.corvane-backup"));
    const std::string written = readFile(folder() / "opencode.jsonc");
    EXPECT_TRUE(written.starts_with("// my setup\n{\n  \"theme\": \"tokyonight\", /* dark */\n"));
    json value = parsedFile(folder() / "opencode.jsonc");
    EXPECT_EQ(value["theme"], "tokyonight");
    EXPECT_EQ(value["autoupdate"], false);
    EXPECT_EQ(value["model"], "corvane-desktop/a");
}

TEST_F(OpenCodeWriter, ReplacesOnlyItsOwnProviderAndLeavesTheOtherLayoutKey) {
    const json ollama = {{"npm", "@ai-sdk/openai-compatible"},
                         {"options", {{"baseURL", "http://localhost:11434/v1"}}}};
    const json legacy = {{"corvane-desktop", {{"name", "old"}}}, {"other", {{"name", "x"}}}};
    writeFile(folder() / "opencode.json",
              json({{"provider",
                     {{"ollama", ollama},
                      {"corvane-desktop",
                       {{"models", {{"old-model", {{"name", "old"}}}}}, {"extra", true}}}}},
                    {"providers", legacy},
                    {"model", "ollama/llama3"},
                    {"mcp", {{"fs", {{"type", "local"}}}}}})
                  .dump());
    save("1.4.0", "bearer", {ModelRow("fresh", "")});
    json written = parsedFile(folder() / "opencode.json");
    EXPECT_EQ(written["provider"]["ollama"], ollama);
    EXPECT_EQ(written["provider"]["corvane-desktop"]["models"],
              json({{"fresh", {{"name", "fresh"}}}}));
    EXPECT_FALSE(written["provider"]["corvane-desktop"].contains("extra"));
    EXPECT_EQ(written["providers"], legacy);
    EXPECT_EQ(written["model"], "corvane-desktop/fresh");
    EXPECT_EQ(written["mcp"], json({{"fs", {{"type", "local"}}}}));
}

TEST_F(OpenCodeWriter, ReplacesAProviderTableOfAnotherType) {
    writeFile(folder() / "opencode.json", R"({"providers": "broken", "provider": [1]})");
    save("3.0");
    json written = parsedFile(folder() / "opencode.json");
    EXPECT_EQ(written["providers"].size(), 1u);
    EXPECT_TRUE(written["providers"].contains("corvane-desktop"));
    EXPECT_EQ(written["provider"], json({1}));
}

TEST_F(OpenCodeWriter, FindsItsFolderFromTheEnvironment) {
    EXPECT_EQ(openCodeConfigURLs().json, home.path() / "xdg/opencode/opencode.json");
    EXPECT_EQ(openCodeConfigURLs().jsonc, home.path() / "xdg/opencode/opencode.jsonc");
    // An empty value counts as unset, as OpenCode itself reads it.
    for (const std::optional<std::string>& value :
         {std::optional<std::string>(""), std::optional<std::string>()}) {
        home.setEnvironment("XDG_CONFIG_HOME", value);
        EXPECT_EQ(openCodeConfigURLs().json, home.path() / ".config/opencode/opencode.json");
    }
    save(std::nullopt);
    EXPECT_TRUE(std::filesystem::exists(home.path() / ".config/opencode/opencode.json"));
    EXPECT_FALSE(std::filesystem::exists(home.path() / "xdg"));
}

TEST_F(OpenCodeWriter, LeavesAFileItCannotTakeAlone) {
    const std::string unreadable = testing::zh("files.config.malformed");
    const auto unreadableAt = [](const char* line, const char* column, const char* reason) {
        return testing::zh("files.config.unreadable-at", {{"file", "~/xdg/opencode/opencode.json"},
                                                          {"line", line},
                                                          {"column", column},
                                                          {"reason", testing::zh(reason)}});
    };
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"[]", testing::zh("files.config.not-an-object"), ""},
        {"\"text\"", testing::zh("files.config.not-an-object"), ""},
        {"{\"theme\": ", unreadable, unreadableAt("1", "11", "files.json5.unexpected-end")},
        {"{\n  \"a\": 1\n  \"b\": 2\n}", unreadable,
         unreadableAt("3", "3", "files.json5.unexpected-character")},
    };
    for (const auto& [content, message, detail] : cases) {
        SCOPED_TRACE(content);
        writeFile(folder() / "opencode.json", content);
        try {
            save("1.0");
            ADD_FAILURE() << "saved";
        } catch (const SetupError& error) {
            EXPECT_EQ(error.text(), message);
            EXPECT_EQ(error.detail(), detail);
        }
        EXPECT_EQ(readFile(folder() / "opencode.json"), content);
        EXPECT_FALSE(std::filesystem::exists(folder() / ".opencode.json.corvane-backup"));
    }
}

}  // namespace
}  // namespace corvane
