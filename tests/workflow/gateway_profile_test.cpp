#include "workflow/gateway_profile.h"

#include <gtest/gtest.h>

#include "model/setup_error.h"
#include "support/catalogue_text.h"

namespace corvane {
namespace {

using testing::zh;

constexpr std::string_view kKey = "sk-profile-test";

const std::string kTeamProfile = R"(// the team's gateway
{
  address: "https://gw.example.com/v1/",
  auth: "bearer",
  models: [{ id: "gpt-5", name: "GPT-5" }, "o3"],   // shared
  clients: { Claude: { models: ["claude-sonnet-4-5"] }, HERMES: { models: ["h1", "h2"] } },
})";

// The form's refusal `reason`, with the client and the profile's member named.
std::string refused(std::string_view client, std::string_view member, std::string_view reason) {
    const std::string sentence = zh(reason);
    return zh("workflow.profile.member-refused",
              {{"client", client}, {"member", member}, {"reason", sentence}});
}

// What a profile gives one client, or the sentence that refused it.
struct Expected {
    Client client;
    std::vector<std::pair<std::string, std::string>> models;  // ID, display name
    std::string refusal;
};

TEST(GatewayProfile, ParsesAndValidatesPerClient) {
    struct Case {
        std::string name;
        std::string text;
        std::vector<Expected> expected;
        std::string parseRefusal;  // set: the file itself is refused
    };
    const Case cases[] = {
        {"shared and own lists",
         kTeamProfile,
         {{Client::claude, {{"claude-sonnet-4-5", ""}}, ""},
          {Client::codex, {{"gpt-5", "GPT-5"}, {"o3", ""}}, ""},
          {Client::workBuddy, {{"gpt-5", ""}, {"o3", ""}}, ""},
          {Client::hermes, {{"h1", ""}}, ""}},
         ""},
        {"shared list refused by Claude's rule, with client and member named",
         R"({address: "https://gw.example.com", models: ["gpt-5"]})",
         {{Client::claude, {}, refused("Claude", "models[0]", "model.form.claude-model-id")},
          {Client::openCode, {{"gpt-5", ""}}, ""}},
         ""},
        {"WorkBuddy refuses x-api-key",
         R"({address: "https://gw.example.com", auth: "x-api-key", models: ["m"]})",
         {{Client::workBuddy,
           {},
           refused("WorkBuddy", "auth", "model.form.workbuddy-needs-bearer")},
          {Client::openClaw, {{"m", ""}}, ""}},
         ""},
        {"duplicate models name the list",
         R"({address: "https://gw.example.com", models: ["m", " m "]})",
         {{Client::codex, {}, refused("Codex", "models", "model.form.one-model-each")}},
         ""},
        {"no list at all",
         R"({address: "https://gw.example.com", clients: {codex: {models: ["c"]}}})",
         {{Client::openCode,
           {},
           refused("OpenCode Desktop", "models", "model.form.one-model-each")},
          {Client::codex, {{"c", ""}}, ""}},
         ""},
        {"plain address refused for every client",
         R"({address: "http://gw.example.com", models: ["m"]})",
         {{Client::hermes,
           {},
           refused("Hermes Desktop", "address", "model.form.address-not-https")}},
         ""},
        {"a listed client is validated when read",
         R"({address: "https://gw.example.com", clients: {openClaw: {models: ["a b"]}}})",
         {},
         refused("OpenClaw（小龙虾）", "clients.openClaw.models[0]",
                 "model.form.model-id-per-row")},
        {"key at the top",
         R"({address: "https://gw.example.com", apiKey: "sk-secret", models: ["m"]})",
         {},
         zh("workflow.profile.holds-key", {{"name", "\"apiKey\""}})},
        {"token deep inside, before any other fault",
         R"({address: 1, clients: {codex: {models: [{id: "m", access_token: "x"}]}}})",
         {},
         zh("workflow.profile.holds-key", {{"name", "\"access_token\""}})},
        {"unknown client",
         R"({address: "https://gw.example.com", clients: {chatbox: {}}})",
         {},
         zh("workflow.profile.unknown-client", {{"name", "\"chatbox\""}})},
        {"a misspelt member is not ignored",
         R"({address: "https://gw.example.com", model: ["m"]})",
         {},
         zh("workflow.profile.unknown-member", {{"name", "\"model\""}})},
        {"model entry of the wrong kind",
         R"({address: "https://gw.example.com", models: [{name: "no id"}]})",
         {},
         zh("workflow.profile.model-list-expected", {{"member", "models"}})},
        {"not JSON5",
         "{address: }",
         {},
         zh("workflow.profile.not-json5", {{"line", "1"}, {"column", "11"}})},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        if (!test.parseRefusal.empty()) {
            try {
                parseGatewayProfile(test.text);
                ADD_FAILURE() << "accepted";
            } catch (const SetupError& error) {
                EXPECT_EQ(error.text(), test.parseRefusal);
            }
            continue;
        }
        const GatewayProfile profile = parseGatewayProfile(test.text);
        for (const Expected& expected : test.expected) {
            SCOPED_TRACE(std::string(rawValue(expected.client)));
            try {
                const GatewaySettings settings = profile.settingsFor(expected.client, kKey);
                EXPECT_EQ(expected.refusal, "");
                std::vector<std::pair<std::string, std::string>> models;
                for (const auto& model : settings.inferenceModels()) {
                    models.emplace_back(model.name, model.labelOverride.value_or(""));
                }
                EXPECT_EQ(models, expected.models);
                EXPECT_EQ(settings.inferenceGatewayApiKey(), kKey);
            } catch (const SetupError& error) {
                EXPECT_EQ(error.text(), expected.refusal);
            }
        }
    }
}

TEST(GatewayProfile, KeyIsValidatedWhereItIsGiven) {
    const GatewayProfile profile = parseGatewayProfile(kTeamProfile);
    EXPECT_TRUE(profile.narrowsToFirstModel(Client::hermes));
    EXPECT_FALSE(profile.narrowsToFirstModel(Client::codex));
    try {
        profile.settingsFor(Client::codex, "two words");
        ADD_FAILURE() << "accepted";
    } catch (const SetupError& error) {
        EXPECT_EQ(error.text(), zh("model.form.key-incomplete"));
    }
}

}  // namespace
}  // namespace corvane
