#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "model/text.h"
#include "support/catalogue_text.h"
#include "support/hostile_text.h"
#include "support/run_program.h"
#include "support/test_gateway.h"

namespace corvane {
namespace {

using testing::GatewayReply;

constexpr const char* kKey = "sk-models-KEY-7e21";

GatewayReply bodyReply(std::string body, int status = 200) {
    GatewayReply reply;
    reply.status = status;
    reply.contentType = "application/json";
    reply.chunks = {{std::move(body)}};
    return reply;
}

GatewayReply listReply(const nlohmann::json& list, int status = 200) {
    return bodyReply(list.dump(), status);
}

nlohmann::json anthropicPage(const std::string& id, bool hasMore) {
    return {{"data", {{{"type", "model"}, {"id", id}, {"display_name", "Name " + id}}}},
            {"has_more", hasMore},
            {"first_id", id},
            {"last_id", id}};
}

TEST(ModelsCommandTest, ReadsEachListShapeAndRefusesWhatIsNotAList) {
    struct ListCase {
        std::string name;
        std::vector<GatewayReply> script;
        std::vector<std::string> arguments;
        int status;
        std::string out;
        std::string err;
        std::vector<std::string> targets;
    };
    const nlohmann::json openAi = {
        {"object", "list"},
        {"data", {{{"id", "gpt-a"}, {"object", "model"}}, {{"id", "gpt-b"}}, {{"object", "x"}}}}};
    std::vector<GatewayReply> endless;
    for (int page = 0; page < 25; ++page) {
        endless.push_back(listReply(anthropicPage("claude-" + std::to_string(page), true)));
    }
    std::string twenty;
    for (int page = 0; page < 20; ++page) twenty += "claude-" + std::to_string(page) + "\n";
    GatewayReply huge = listReply(openAi);
    huge.chunks = {{std::string(5 * 1024 * 1024, ' ')}, {std::string(4 * 1024 * 1024, ' ')}};
    nlohmann::json hostile = {{"data", nlohmann::json::array()}};
    std::string hostileShown;
    nlohmann::json hostileJson = nlohmann::json::array();
    for (const testing::HostileText& text : testing::hostileTexts()) {
        // JSON carries no bytes that are not UTF-8.
        if (!isValidUtf8(text.raw)) continue;
        hostile["data"].push_back({{"id", text.raw}});
        hostileJson.push_back({{"id", text.raw}, {"name", nullptr}});
        hostileShown += text.shown + "\n";
    }
    // The same value for a JSON reader; nothing the terminal would act on.
    const std::string hostileJsonShown =
        R"([{"id":"plain-model","name":null},{"id":"tab\there","name":null},)"
        R"({"id":"\u001b[2J\u001b]0;owned\u0007","name":null},)"
        R"({"id":"next\nrow\r\n","name":null},{"id":"nul\u007f\u0001","name":null},)"
        R"({"id":"c1\u009b31m\u0085","name":null},{"id":"gpt\u202eevil\u202c","name":null},)"
        R"({"id":"\u2066iso\u2069\u2067\u2068","name":null},{"id":"line\u2028sep","name":null},)"
        R"({"id":"中文模型-1","name":null}])";
    EXPECT_EQ(nlohmann::json::parse(hostileJsonShown), hostileJson);
    const std::string notFound = testing::zh("check.models.not-offered") + "\n";
    const std::vector<ListCase> cases = {
        {"openai", {listReply(openAi)}, {}, 0, "gpt-a\ngpt-b\n", "", {"/api/v1/models"}},
        {"openai json",
         {listReply(openAi)},
         {"--json"},
         0,
         R"([{"id":"gpt-a","name":null},{"id":"gpt-b","name":null}])"
         "\n",
         "",
         {"/api/v1/models"}},
        {"anthropic pages",
         {listReply(anthropicPage("claude a/1", true)),
          listReply(anthropicPage("claude-b", false))},
         {"--json"},
         0,
         R"([{"id":"claude a/1","name":"Name claude a/1"},{"id":"claude-b","name":"Name claude-b"}])"
         "\n",
         "",
         {"/api/v1/models", "/api/v1/models?after_id=claude%20a%2F1"}},
        {"twenty pages at most",
         endless,
         {},
         0,
         twenty,
         testing::zh("workflow.models.incomplete",
                     {{"reason", testing::zhCount("check.models.page-limit",
                                                  "check.models.page-limit.plural", 20)}}) +
             "\n",
         {}},
        {"hostile ids", {listReply(hostile)}, {}, 0, hostileShown, "", {}},
        {"hostile ids, exact json",
         {listReply(hostile)},
         {"--json"},
         0,
         hostileJsonShown + "\n",
         "",
         {}},
        {"key too long",
         {listReply(openAi)},
         {"--key-stdin"},
         1,
         "",
         testing::zh("model.form.key-incomplete") + "\n",
         {}},
        {"empty",
         {listReply({{"data", nlohmann::json::array()}})},
         {},
         0,
         "",
         testing::zh("workflow.models.none-listed") + "\n",
         {}},
        {"unauthorised",
         {listReply({{"error", "no"}}, 401)},
         {},
         1,
         "",
         testing::zh("check.models.http-check-key", {{"code", "401"}}) + "\n",
         {}},
        {"no endpoint", {listReply({{"error", "no"}}, 404)}, {}, 1, "", notFound, {}},
        {"huge",
         {huge},
         {},
         1,
         "",
         testing::zh("check.models.too-large", {{"size", "8 MiB"}}) + "\n",
         {}},
        {"not a list",
         {listReply({{"models", openAi["data"]}})},
         {},
         1,
         "",
         testing::zh("check.models.unrecognised") + "\n",
         {}},
        {"escapes decoded",
         {bodyReply(R"({"data":[{"id":"gpt\u002da\n\u00e9"}]})")},
         {"--json"},
         0,
         "[{\"id\":\"gpt-a\\n\u00e9\",\"name\":null}]\n",
         "",
         {}},
        // Nesting deeper than any stack, a NUL after the list, and an ID that
        // is not UTF-8 make no list, and nothing crashes.
        {"deep nesting",
         {bodyReply(R"({"data":[{"id":"a","x":)" + std::string(200000, '[') + "]}]}")},
         {},
         1,
         "",
         testing::zh("check.models.unrecognised") + "\n",
         {}},
        {"nul after the list",
         {bodyReply(std::string(R"({"data":[{"id":"a"}]})") + '\0' + "{")},
         {},
         1,
         "",
         testing::zh("check.models.unrecognised") + "\n",
         {}},
        {"id not utf-8",
         {bodyReply("{\"data\":[{\"id\":\"a\xff\"}]}")},
         {},
         1,
         "",
         testing::zh("check.models.unrecognised") + "\n",
         {}},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TestGateway gateway(c.script);
        const bool claude = c.name == "anthropic pages";
        testing::ProgramRun run;
        run.program = CORVANE_PROGRAM;
        run.arguments = {"models",
                         "--client",
                         claude ? "Claude" : "openCode",
                         "--address",
                         gateway.address() + "/api",
                         "--auth",
                         "x-api-key"};
        run.arguments.insert(run.arguments.end(), c.arguments.begin(), c.arguments.end());
        run.environment = {{"CORVANE_API_KEY", kKey},
                           {"SSL_CERT_FILE", gateway.caFile().string()},
                           {"NO_PROXY", "127.0.0.1"},
                           {"no_proxy", "127.0.0.1"}};
        // A mebibyte of key is refused as a key, before any request.
        if (c.name == "key too long") run.input = std::string(1024 * 1024, 'k') + "\n";
        const testing::ProgramResult result = testing::runProgram(run);
        EXPECT_EQ(result.exitStatus, c.status);
        EXPECT_EQ(result.output, c.out);
        EXPECT_EQ(result.error, c.err);
        const auto requests = gateway.requests();
        if (c.name == "twenty pages at most") {
            EXPECT_EQ(requests.size(), 20u);
        }
        if (c.name == "key too long") {
            EXPECT_TRUE(requests.empty());
        }
        for (std::size_t index = 0; index < c.targets.size() && index < requests.size(); ++index) {
            EXPECT_EQ(requests[index].target, c.targets[index]);
        }
        for (const auto& request : requests) {
            EXPECT_EQ(request.method, "GET");
            EXPECT_EQ(request.header("x-api-key"), kKey);
            EXPECT_EQ(request.header("anthropic-version").has_value(), claude);
        }
    }
}

}  // namespace
}  // namespace corvane
