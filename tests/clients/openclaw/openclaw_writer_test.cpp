#include <gtest/gtest.h>

#include "model/setup_error.h"
#include "support/catalogue_text.h"
#include "support/client_file_test.h"
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

class OpenClawWriter : public testing::ClientFileTest {
protected:
    OpenClawWriter() : ClientFileTest(".openclaw/openclaw.json") {}

    void save(const std::vector<ModelRow>& rows, const std::string& auth = "bearer") {
        sampleConfiguration(Client::openClaw, auth, rows).save({});
    }
};

json modelEntry(const std::string& id, const std::string& name) {
    return {{"id", id},
            {"name", name},
            {"input", json::array({"text"})},
            {"contextWindow", 32768},
            {"maxTokens", 8192},
            {"reasoning", false},
            {"compat",
             {{"supportsStore", false},
              {"supportsDeveloperRole", false},
              {"supportsReasoningEffort", false},
              {"supportsUsageInStreaming", false},
              {"maxTokensField", "max_tokens"}}}};
}

TEST_F(OpenClawWriter, CreatesAMissingFileWithExactlyTheToolsEntries) {
    for (const std::string auth : {"bearer", "x-api-key"}) {
        SCOPED_TRACE(auth);
        std::filesystem::remove_all(home.path() / ".openclaw");
        save({ModelRow("qwen3", ""), ModelRow("glm-4.6", "GLM")}, auth);
        json provider = {{"baseUrl", "https://gw.example.com/api/v1"},
                         {"api", "openai-completions"},
                         {"apiKey", kSampleKey},
                         {"models", {modelEntry("qwen3", "qwen3"), modelEntry("glm-4.6", "GLM")}}};
        if (auth == "x-api-key") provider["headers"] = {{"x-api-key", kSampleKey}};
        const json expected = {{"models", {{"providers", {{"corvane-desktop", provider}}}}},
                               {"agents",
                                {{"defaults",
                                  {{"model", {{"primary", "corvane-desktop/qwen3"}}},
                                   {"models",
                                    {{"corvane-desktop/qwen3", json::object()},
                                     {"corvane-desktop/glm-4.6", json::object()}}}}}}}};
        EXPECT_EQ(parsedFile(file()), expected);
        EXPECT_EQ(readFile(home.path() / ".openclaw/.openclaw.json.corvane-backup"), "");
    }
}

TEST_F(OpenClawWriter, KeepsForeignEntriesAndDropsItsEarlierModels) {
    const json foreignProvider = {{"baseUrl", "http://127.0.0.1:1234/v1"},
                                  {"api", "openai-completions"}};
    writeFile(file(), R"({
      "models": {"mode": "merge", "providers": {"lmstudio": {
        "baseUrl": "http://127.0.0.1:1234/v1", "api": "openai-completions"}}},
      "agents": {
        "defaults": {
          "workspace": "~/.openclaw/workspace",
          "model": {"primary": "anthropic/claude-opus-4-5", "fallbacks": ["openai/gpt-5.2"]},
          "models": {"anthropic/claude-opus-4-5": {"alias": "opus"}}
        },
        "list": [{"id": "main"}]
      },
      "gateway": {"port": 18789}
    })");
    save({ModelRow("x", ""), ModelRow("y", "")});
    save({ModelRow("a", ""), ModelRow("b", "")}, "x-api-key");

    json written = parsedFile(file());
    EXPECT_EQ(written["models"]["mode"], "merge");
    EXPECT_EQ(written["models"]["providers"]["lmstudio"], foreignProvider);
    EXPECT_EQ(written["models"]["providers"]["corvane-desktop"]["models"].size(), 2u);
    json& defaults = written["agents"]["defaults"];
    EXPECT_EQ(defaults["models"], json({{"anthropic/claude-opus-4-5", {{"alias", "opus"}}},
                                        {"corvane-desktop/a", json::object()},
                                        {"corvane-desktop/b", json::object()}}));
    EXPECT_EQ(defaults["model"],
              json({{"primary", "corvane-desktop/a"}, {"fallbacks", {"openai/gpt-5.2"}}}));
    EXPECT_EQ(defaults["workspace"], "~/.openclaw/workspace");
    EXPECT_EQ(written["agents"]["list"], json::array({{{"id", "main"}}}));
    EXPECT_EQ(written["gateway"], json({{"port", 18789}}));
}

TEST_F(OpenClawWriter, ReplacesValuesOfTheWrongTypeAlongItsPaths) {
    const std::string cases[] = {
        R"({"agents": {"defaults": {"model": "anthropic/claude-opus-4-5"}}})",
        R"({"agents": {"defaults": {"model": 7, "models": []}}})",
        R"({"agents": {"defaults": "none"}, "models": ["x"]})",
        R"({"agents": null, "models": {"providers": 3}})",
    };
    for (const std::string& content : cases) {
        SCOPED_TRACE(content);
        writeFile(file(), content);
        std::filesystem::remove(home.path() / ".openclaw/.openclaw.json.corvane-backup");
        save({ModelRow("m", "")});
        json written = parsedFile(file());
        EXPECT_EQ(written["agents"]["defaults"]["model"], json({{"primary", "corvane-desktop/m"}}));
        EXPECT_EQ(written["agents"]["defaults"]["models"],
                  json({{"corvane-desktop/m", json::object()}}));
        EXPECT_EQ(written["models"]["providers"].size(), 1u);
        EXPECT_EQ(readFile(home.path() / ".openclaw/.openclaw.json.corvane-backup"), content);
    }
}

TEST_F(OpenClawWriter, WritesTheFileTheUserChose) {
    sampleConfiguration(Client::openClaw, "bearer", {ModelRow("m", "")}, "  ~/custom/oc.json\n")
        .save({});
    EXPECT_TRUE(parsedFile(home.path() / "custom/oc.json")["models"]["providers"].contains(
        "corvane-desktop"));
    EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(OpenClawWriter, RefusesATopLevelThatIsNotAnObject) {
    writeFile(file(), "[1, 2]");
    try {
        save({ModelRow("m", "")});
        ADD_FAILURE() << "saved";
    } catch (const SetupError& error) {
        EXPECT_EQ(error.text(), testing::zh("files.config.not-an-object"));
    }
    EXPECT_EQ(readFile(file()), "[1, 2]");
}

}  // namespace
}  // namespace corvane
