#include "model/gateway_settings.h"

#include <gtest/gtest.h>

#include <random>

#include "model/setup_error.h"
#include "support/catalogue_text.h"

namespace corvane {
namespace {

std::string notHttps() { return testing::zh("model.form.address-not-https"); }
std::string incompleteKey() { return testing::zh("model.form.key-incomplete"); }
std::string workBuddyBearer() { return testing::zh("model.form.workbuddy-needs-bearer"); }
std::string modelIdPerRow() { return testing::zh("model.form.model-id-per-row"); }
std::string claudeModelId() { return testing::zh("model.form.claude-model-id"); }
std::string oneModelEach() { return testing::zh("model.form.one-model-each"); }

struct Form {
    std::string address = "https://gw.example.com";
    std::string key = "sk-test";
    std::string auth = "bearer";
    std::vector<ModelRow> rows{ModelRow("claude-sonnet", "")};
    Client client = Client::openCode;
};

GatewaySettings build(const Form& form) {
    return GatewaySettings(form.address, form.key, form.auth, form.rows, form.client);
}

// The message of the first broken rule, or "" when the form is valid.
std::string failure(const Form& form) {
    try {
        build(form);
        return "";
    } catch (const SetupError& error) {
        return error.text();
    }
}

TEST(GatewaySettings, NormalisesTheBaseAddress) {
    struct Case {
        std::string address;
        Client client;
        std::string expected;
    };
    const Case cases[] = {
        {"https://gw.example.com/v1/chat/completions/", Client::openCode, "https://gw.example.com"},
        {"https://gw.example.com/openai/v1", Client::openCode, "https://gw.example.com/openai"},
        {"https://gw.example.com/api/v1/v1", Client::openCode, "https://gw.example.com/api/v1"},
        {"https://gw.example.com/chat/completions", Client::openCode,
         "https://gw.example.com/chat/completions"},
        {"https://gw.example.com/anthropic/v1/messages", Client::claude,
         "https://gw.example.com/anthropic"},
        {"https://gw.example.com/x/v1/responses", Client::codex, "https://gw.example.com/x"},
        {"https://gw.example.com///", Client::openCode, "https://gw.example.com"},
        {"HTTPS://gw.example.com", Client::openCode, "https://gw.example.com"},
        {"  https://gw.example.com:8443/p \n", Client::openCode, "https://gw.example.com:8443/p"},
        {"\u3000https://gw.example.com/p\u00A0", Client::openCode, "https://gw.example.com/p"},
        {"https://gw.example.com/a%20b/v1", Client::openCode, "https://gw.example.com/a%20b"},
        {"https://gw.example.com/a/../v1", Client::openCode, "https://gw.example.com/a/.."},
        {"https://[::1]:9000/v1", Client::openCode, "https://[::1]:9000"},
        {"https://api.deepseek.com/responses", Client::codex, "https://api.deepseek.com"},
        {"https://API.DeepSeek.com/v1/responses", Client::codex, "https://API.DeepSeek.com"},
        {"https://api.deepseek.com/responses", Client::openCode,
         "https://api.deepseek.com/responses"},
        {"https://other.example.com/responses", Client::codex,
         "https://other.example.com/responses"},
    };
    for (const Case& c : cases) {
        Form form;
        form.address = c.address;
        form.client = c.client;
        if (c.client == Client::claude) form.rows = {ModelRow("claude-3", "")};
        EXPECT_EQ(build(form).inferenceGatewayBaseUrl().absoluteString(), c.expected) << c.address;
    }
}

TEST(GatewaySettings, RefusesAddressesThatAreNotPlainHttpsBases) {
    for (const char* address :
         {"", "   ", "gw.example.com", "http://gw.example.com", "ftp://gw.example.com", "https://",
          "https:///v1", "https://gw.example.com?x=1", "https://gw.example.com/v1?",
          "https://gw.example.com#top", "https://gw.example.com/#", "https://user@gw.example.com",
          "https://user:pw@gw.example.com/v1", "https://@gw.example.com", "https://gw example.com",
          "https://gw.example.com/a b", "https:gw.example.com"}) {
        Form form;
        form.address = address;
        EXPECT_EQ(failure(form), notHttps()) << address;
    }
}

TEST(GatewaySettings, AcceptsOnlyPrintableAsciiKeys) {
    struct Case {
        std::string key;
        std::string expected;  // the stored key, or the message
    };
    const Case cases[] = {
        {" sk-abc\t\n", "sk-abc"},    {"\u3000sk-abc\u00A0", "sk-abc"},
        {"sk-!~", "sk-!~"},           {"sk abc", incompleteKey()},
        {"sk\tabc", incompleteKey()}, {"sk-ａbc", incompleteKey()},
        {"sk-\x7F", incompleteKey()}, {"", incompleteKey()},
        {" \n", incompleteKey()},
    };
    for (const Case& c : cases) {
        Form form;
        form.key = c.key;
        const std::string message = failure(form);
        EXPECT_EQ(message.empty() ? build(form).inferenceGatewayApiKey() : message, c.expected)
            << c.key;
    }
}

TEST(GatewaySettings, JudgesModelRows) {
    struct Case {
        Client client;
        std::vector<ModelRow> rows;
        std::string expected;  // "" when valid
    };
    const Case cases[] = {
        {Client::openCode, {ModelRow("gpt 4o", "")}, modelIdPerRow()},
        {Client::openCode, {ModelRow("gpt\u30004o", "")}, modelIdPerRow()},
        {Client::openCode, {ModelRow("   ", "")}, modelIdPerRow()},
        {Client::openCode, {}, oneModelEach()},
        {Client::openCode, {ModelRow("a", ""), ModelRow("", "")}, modelIdPerRow()},
        {Client::openCode, {ModelRow("a", ""), ModelRow(" a ", "")}, oneModelEach()},
        {Client::openCode, {ModelRow("a", ""), ModelRow("A", "")}, ""},
        {Client::claude, {ModelRow("my-SoNNet-4", "")}, ""},
        {Client::claude, {ModelRow("gpt-4o", "")}, claudeModelId()},
        {Client::claude, {ModelRow("x-anthropic", ""), ModelRow("gpt-4o", "")}, claudeModelId()},
        {Client::openClaw, {ModelRow("gpt-4o", "")}, ""},
    };
    for (const Case& c : cases) {
        Form form;
        form.client = c.client;
        form.rows = c.rows;
        EXPECT_EQ(failure(form), c.expected) << rawValue(c.client);
    }
}

TEST(GatewaySettings, RefusesControlCharactersInModelIdsAndNames) {
    struct Case {
        ModelRow row;
        std::string expected;  // "" when valid
    };
    const Case cases[] = {
        {ModelRow("gpt\x1b[2J", ""), modelIdPerRow()},
        {ModelRow("gpt\x7f", ""), modelIdPerRow()},
        {ModelRow("gpt\u0085x", ""), modelIdPerRow()},
        {ModelRow("gpt", "G\x1b]0;x\x07"), modelIdPerRow()},
        {ModelRow("gpt", "G\u009bT"), modelIdPerRow()},
        {ModelRow("gpt", "a\tb"), modelIdPerRow()},
        {ModelRow("gpt-é", "GPT ü \u00a0x"), ""},
    };
    for (const Case& c : cases) {
        Form form;
        form.rows = {c.row};
        EXPECT_EQ(failure(form), c.expected) << c.row.modelID << " / " << c.row.displayName;
    }
}

TEST(GatewaySettings, ReportsTheFirstBrokenRule) {
    Form everythingWrong;
    everythingWrong.address = "http://x";
    everythingWrong.key = "bad key";
    everythingWrong.auth = "x-api-key";
    everythingWrong.client = Client::workBuddy;
    everythingWrong.rows = {};
    EXPECT_EQ(failure(everythingWrong), notHttps());
    everythingWrong.address = "https://gw.example.com";
    EXPECT_EQ(failure(everythingWrong), incompleteKey());
    everythingWrong.key = "sk";
    EXPECT_EQ(failure(everythingWrong), workBuddyBearer());
    everythingWrong.auth = "bearer";
    EXPECT_EQ(failure(everythingWrong), oneModelEach());

    Form otherClient;
    otherClient.auth = "x-api-key";
    EXPECT_EQ(failure(otherClient), "");
    EXPECT_EQ(build(otherClient).inferenceGatewayAuthScheme(), "x-api-key");
}

TEST(GatewaySettings, CarriesTrimmedDisplayNamesAndWritesTheProfileForm) {
    Form form;
    form.address = "https://gw.example.com/api/v1";
    form.rows = {ModelRow(" m1 ", " 模型一 "), ModelRow("m2", "   ")};
    const GatewaySettings settings = build(form);
    ASSERT_EQ(settings.inferenceModels().size(), 2u);
    EXPECT_EQ(settings.inferenceModels()[0].label(), "模型一");
    EXPECT_EQ(settings.inferenceModels()[1].label(), "m2");

    const nlohmann::json expected = nlohmann::json::parse(R"({
        "inferenceProvider": "gateway", "inferenceCredentialKind": "static",
        "inferenceGatewayBaseUrl": "https://gw.example.com/api",
        "inferenceGatewayApiKey": "sk-test", "inferenceGatewayAuthScheme": "bearer",
        "inferenceModels": [{"name": "m1", "labelOverride": "模型一"}, {"name": "m2"}]})");
    EXPECT_EQ(settings.json(), expected);
}

TEST(GatewaySettings, DerivesTheCodexResponsesBase) {
    const std::pair<std::string, std::string> cases[] = {
        {"https://gw.example.com", "https://gw.example.com/v1"},
        {"https://gw.example.com/api", "https://gw.example.com/api/v1"},
        {"https://api.deepseek.com", "https://api.deepseek.com"},
        {"https://API.DEEPSEEK.COM/x", "https://API.DEEPSEEK.COM/x"},
    };
    for (const auto& [address, expected] : cases) {
        Form form;
        form.address = address;
        form.client = Client::codex;
        EXPECT_EQ(build(form).codexResponsesBaseURL().absoluteString(), expected);
    }
}

// Whatever the bytes, the constructor either throws SetupError or yields a
// record that keeps every invariant.
TEST(GatewaySettings, HoldsItsInvariantsForRandomInput) {
    std::mt19937 random(20261208);
    const std::string alphabet =
        "https:/?#@[]%.:v1 \t\xE3\x80\x80\xFF\xC2\xA0"
        "abcAPI-=";
    auto text = [&](std::size_t maxLength) {
        std::string result;
        const std::size_t length = random() % maxLength;
        for (std::size_t i = 0; i < length; ++i) {
            result += random() % 4 == 0 ? static_cast<char>(random() % 256)
                                        : alphabet[random() % alphabet.size()];
        }
        return result;
    };
    for (int i = 0; i < 20000; ++i) {
        Form form;
        form.address = (i % 2 ? "https://" : "") + text(40);
        form.key = text(12);
        form.rows = {ModelRow(text(8), text(8))};
        form.client = allClients()[random() % allClients().size()];
        try {
            const GatewaySettings settings = build(form);
            const std::string& path = settings.inferenceGatewayBaseUrl().path();
            EXPECT_TRUE(path.empty() || path.back() != '/') << form.address;
            for (unsigned char byte : settings.inferenceGatewayApiKey()) {
                EXPECT_TRUE(byte >= 33 && byte <= 126);
            }
            EXPECT_FALSE(settings.inferenceModels().empty());
        } catch (const SetupError&) {
        }
    }
}

}  // namespace
}  // namespace corvane
