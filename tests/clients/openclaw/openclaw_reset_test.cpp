#include "clients/openclaw/openclaw_reset.h"

#include <gtest/gtest.h>

#include "clients/client_configuration_reset.h"
#include "support/client_file_test.h"
#include "support/gateway_samples.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using nlohmann::json;
using testing::parsedFile;
using testing::readFile;
using testing::writeFile;

class OpenClawReset : public testing::ClientFileTest {
protected:
    OpenClawReset() : ClientFileTest(".openclaw/openclaw.json") {}
};

const json kProviders = {{"providers", {{"corvane-desktop", {{"api", "openai-completions"}}}}}};

TEST_F(OpenClawReset, NeedsItsProviderToDoAnything) {
    EXPECT_FALSE(resetOpenClaw(file()));
    const std::string content = json({{"agents",
                                       {{"defaults",
                                         {{"model", {{"primary", "corvane-desktop/a"}}},
                                          {"models", {{"corvane-desktop/a", json::object()}}}}}}}})
                                    .dump();
    writeFile(file(), content);
    EXPECT_FALSE(resetOpenClaw(file()));
    EXPECT_EQ(readFile(file()), content);
}

TEST_F(OpenClawReset, PutsBackTheEarlierModelSelection) {
    struct Case {
        std::string name;
        json currentModel;                 // agents.defaults.model now
        std::optional<json> earlierModel;  // agents.defaults.model in the backup
        std::optional<json> expected;      // agents.defaults.model afterwards
    };
    const json owned = {{"primary", "corvane-desktop/a"}};
    const Case cases[] = {
        {"the string form comes back", owned, json("anthropic/claude"), json("anthropic/claude")},
        {"a string form that gained fallbacks stays an object",
         {{"primary", "corvane-desktop/a"}, {"fallbacks", {"x/y"}}},
         json("anthropic/claude"),
         json({{"primary", "anthropic/claude"}, {"fallbacks", {"x/y"}}})},
        {"the object form's primary comes back",
         {{"primary", "corvane-desktop/a"}, {"fallbacks", {"x/y"}}},
         json({{"primary", "anthropic/claude"}}),
         json({{"primary", "anthropic/claude"}, {"fallbacks", {"x/y"}}})},
        {"no earlier model", owned, std::nullopt, std::nullopt},
        {"an earlier primary of another type", owned, json({{"primary", 3}}), std::nullopt},
        {"an earlier primary of the tool's", owned, json("corvane-desktop/old"), std::nullopt},
        {"a plain string of the tool's", json("corvane-desktop/a"), json("anthropic/claude"),
         json("anthropic/claude")},
        {"the user's own primary stays", json({{"primary", "openai/gpt-5"}}),
         json("anthropic/claude"), json({{"primary", "openai/gpt-5"}})},
        {"an empty earlier object stays", owned, json::object(), json::object()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(
            file(),
            json({{"models", kProviders},
                  {"agents", {{"defaults", {{"model", c.currentModel}, {"workspace", "w"}}}}}})
                .dump());
        json earlier = {{"agents", {{"defaults", {{"workspace", "w"}}}}}};
        if (c.earlierModel) earlier["agents"]["defaults"]["model"] = *c.earlierModel;
        writeFile(backup(), earlier.dump());

        EXPECT_TRUE(resetOpenClaw(file()));
        json expected = {{"agents", {{"defaults", {{"workspace", "w"}}}}}};
        if (c.expected) expected["agents"]["defaults"]["model"] = *c.expected;
        EXPECT_EQ(parsedFile(file()), expected);
        EXPECT_FALSE(std::filesystem::exists(backup()));
    }
}

TEST_F(OpenClawReset, RemovesTheLevelsItEmptied) {
    const std::string provider = R"("models": {"providers": {"corvane-desktop": {}}})";
    const std::pair<std::string, std::optional<json>> cases[] = {
        {"{" + provider + R"(, "agents": {"defaults": {"model": {"primary": "corvane-desktop/a"},
             "models": {"corvane-desktop/a": {}}}}, "gateway": {"port": 1}})",
         json({{"gateway", {{"port", 1}}}})},
        // Levels of another type count as empty.
        {"{" + provider + R"(, "agents": {"defaults": 7}, "x": 1})", json({{"x", 1}})},
        {"{" + provider + R"(, "agents": "none"})", std::nullopt},
    };
    for (const auto& [content, expected] : cases) {
        SCOPED_TRACE(content);
        writeFile(file(), content);
        EXPECT_TRUE(resetOpenClaw(file()));
        if (expected) {
            EXPECT_EQ(parsedFile(file()), *expected);
        } else {
            EXPECT_FALSE(std::filesystem::exists(file()));
        }
    }
}

TEST_F(OpenClawReset, ResetsTheFileTheUserChose) {
    testing::sampleConfiguration(Client::openClaw, "bearer", {ModelRow("m", "")}, "~/oc/cfg.json")
        .save({});
    writeFile(file(), "{\"untouched\": true}");
    EXPECT_FALSE(ClientConfigurationReset(Client::openClaw, "").run({}));
    EXPECT_TRUE(ClientConfigurationReset(Client::openClaw, " ~/oc/cfg.json\n").run({}));
    EXPECT_FALSE(std::filesystem::exists(home.path() / "oc/cfg.json"));
    EXPECT_FALSE(std::filesystem::exists(home.path() / "oc/.cfg.json.corvane-backup"));
    EXPECT_EQ(readFile(file()), "{\"untouched\": true}");

    // A remembered path that holds nothing of the tool's never hides the
    // tool's entries in the default file.
    testing::sampleConfiguration(Client::openClaw, "bearer", {ModelRow("m", "")}, "").save({});
    writeFile(home.path() / "oc/cfg.json", "{}");
    EXPECT_TRUE(ClientConfigurationReset(Client::openClaw, "~/oc/cfg.json").run({}));
    EXPECT_EQ(readFile(file()), "{\"untouched\": true}");
}

}  // namespace
}  // namespace corvane
