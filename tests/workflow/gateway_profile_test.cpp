#include "workflow/gateway_profile.h"

#include <gtest/gtest.h>

#include "model/setup_error.h"

namespace corvane {
namespace {

constexpr std::string_view kKey = "sk-profile-test";

const std::string kTeamProfile = R"(// the team's gateway
{
  address: "https://gw.example.com/v1/",
  auth: "bearer",
  models: [{ id: "gpt-5", name: "GPT-5" }, "o3"],   // shared
  clients: { Claude: { models: ["claude-sonnet-4-5"] }, HERMES: { models: ["h1", "h2"] } },
})";

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
         {{Client::claude,
           {},
           "Claude · models[0]：请填写供应商提供的、适用于 Claude 桌面版的 Model ID。"},
          {Client::openCode, {{"gpt-5", ""}}, ""}},
         ""},
        {"WorkBuddy refuses x-api-key",
         R"({address: "https://gw.example.com", auth: "x-api-key", models: ["m"]})",
         {{Client::workBuddy, {}, "WorkBuddy · auth：WorkBuddy 自定义模型使用 Bearer 认证。"},
          {Client::openClaw, {{"m", ""}}, ""}},
         ""},
        {"duplicate models name the list",
         R"({address: "https://gw.example.com", models: ["m", " m "]})",
         {{Client::codex, {}, "Codex · models：请至少填写一个模型，每个 Model ID 填一次。"}},
         ""},
        {"no list at all",
         R"({address: "https://gw.example.com", clients: {codex: {models: ["c"]}}})",
         {{Client::openCode,
           {},
           "OpenCode Desktop · models：请至少填写一个模型，每个 Model ID 填一次。"},
          {Client::codex, {{"c", ""}}, ""}},
         ""},
        {"plain address refused for every client",
         R"({address: "http://gw.example.com", models: ["m"]})",
         {{Client::hermes, {}, "Hermes Desktop · address：请输入 HTTPS 接口基础地址。"}},
         ""},
        {"a listed client is validated when read",
         R"({address: "https://gw.example.com", clients: {openClaw: {models: ["a b"]}}})",
         {},
         "OpenClaw（小龙虾） · clients.openClaw.models[0]：请为每一行填入供应商提供的 Model ID。"},
        {"key at the top",
         R"({address: "https://gw.example.com", apiKey: "sk-secret", models: ["m"]})",
         {},
         "配置档不能含有 API Key，其中有成员 \"apiKey\"。请删除它，在应用时另行提供 Key；"
         "未做任何更改。"},
        {"token deep inside, before any other fault",
         R"({address: 1, clients: {codex: {models: [{id: "m", access_token: "x"}]}}})",
         {},
         "配置档不能含有 API Key，其中有成员 \"access_token\"。请删除它，在应用时另行提供 "
         "Key；未做任何更改。"},
        {"unknown client",
         R"({address: "https://gw.example.com", clients: {chatbox: {}}})",
         {},
         "配置档的 clients 中有未知的客户端 \"chatbox\"。"},
        {"a misspelt member is not ignored",
         R"({address: "https://gw.example.com", model: ["m"]})",
         {},
         "配置档中有未知的成员 \"model\"。"},
        {"model entry of the wrong kind",
         R"({address: "https://gw.example.com", models: [{name: "no id"}]})",
         {},
         "配置档的 models 须是模型列表：Model ID 字符串，或带 id 与可选 name 的对象。"},
        {"not JSON5", "{address: }", {}, "配置档不是有效的 JSON5（第 1 行第 11 列）。"},
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
        EXPECT_EQ(error.text(), "请粘贴完整的 API Key。");
    }
}

}  // namespace
}  // namespace corvane
