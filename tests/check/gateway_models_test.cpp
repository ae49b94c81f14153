#include "check/gateway_models.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "model/setup_error.h"
#include "support/catalogue_text.h"
#include "support/temp_home.h"
#include "support/test_gateway.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::GatewayReply;

// One page of Anthropic's shape holding `id`; `hasMore` as the gateway sends it.
GatewayReply page(const std::string& id, const nlohmann::json& hasMore, const std::string& lastId,
                  std::chrono::milliseconds delay = 0ms) {
    GatewayReply reply;
    reply.contentType = "application/json";
    reply.headDelay = delay;
    reply.chunks = {
        {nlohmann::json({{"data", {{{"id", id}}}}, {"has_more", hasMore}, {"last_id", lastId}})
             .dump()}};
    return reply;
}

// The test gateway is reached directly, whatever proxy the machine has.
struct NoProxy {
    NoProxy() {
        home.setEnvironment("no_proxy", "127.0.0.1");
        home.setEnvironment("NO_PROXY", "127.0.0.1");
    }
    testing::TempHome home;
};

// Whatever the gateway sends, the listing as a whole ends within its limits
// and gives what it found.
TEST(GatewayModels, EndsAtTheLimitsOfTheWholeListing) {
    struct Case {
        const char* name;
        std::vector<GatewayReply> script;
        ModelListLimits limits;
        // "id" or "id=name"; empty: some, as many as time allows
        std::vector<std::string> ids;
        std::optional<std::string> incomplete;
    };
    // Read as it arrives: pieces that end inside a key and inside an ID.
    GatewayReply pieces;
    pieces.contentType = "application/json";
    pieces.chunks = {{R"({"data":[{"i)"}, {R"(d":"a-)", 30ms}, {R"(b"},{"id":"c"}]})", 30ms}};
    // An ID a page repeats, and one the next page gives again: the first of
    // each stays, with its name, long ones too.
    const std::string longId(200, 'i');
    const std::string longName(130, 'n');
    GatewayReply repeats = page("a", true, "x");
    repeats.chunks = {{R"({"data":[{"id":"a","display_name":"A"},{"id":"b"},)"
                       R"({"id":"a","display_name":"A2"},{"id":"c","display_name":"C"},)"
                       R"({"id":")" +
                       longId + R"(","display_name":")" + longName +
                       R"("}],"has_more":true,"last_id":"x"})"}};
    // Enough IDs to fill many slots of the duplicate check, each given twice.
    nlohmann::json manyEntries = nlohmann::json::array();
    std::vector<std::string> manyIds;
    for (int round = 0; round < 2; ++round) {
        for (int index = 0; index < 300; ++index) {
            manyEntries.push_back({{"id", "m" + std::to_string(index)}});
            if (round == 0) manyIds.push_back("m" + std::to_string(index));
        }
    }
    GatewayReply many = page("", false, "");
    many.chunks = {{nlohmann::json({{"data", manyEntries}}).dump()}};
    std::vector<GatewayReply> endless;
    std::vector<GatewayReply> slow;
    for (int index = 0; index < 30; ++index) {
        const std::string id = "m" + std::to_string(index);
        endless.push_back(page(id, true, id));
        slow.push_back(page(id, true, id, 400ms));
    }
    const std::vector<Case> cases = {
        {"endless cursor",
         endless,
         {.pages = 3},
         {"m0", "m1", "m2"},
         testing::zhCount("check.models.page-limit", "check.models.page-limit.plural", 3)},
        {"cursor seen before",
         {page("a", true, "x"), page("b", true, "y"), page("c", true, "x")},
         {},
         {"a", "b", "c"},
         testing::zh("check.models.page-repeated")},
        // Each page is 53 bytes: the third goes over 120.
        {"total size",
         endless,
         {.bytes = 120},
         {"m0", "m1"},
         testing::zh(
             "check.models.total-too-large",
             {{"size", testing::zhCount("check.models.bytes", "check.models.bytes.plural", 120)}})},
        {"total time",
         slow,
         {.total = 1000ms},
         {},
         testing::zh("check.models.took-too-long",
                     {{"duration", testing::zhCount("check.models.seconds",
                                                    "check.models.seconds.plural", 1)}})},
        {"has_more null", {page("a", nullptr, "a"), page("b", false, "b")}, {}, {"a"}, {}},
        {"has_more text", {page("a", "false", "a"), page("b", false, "b")}, {}, {"a"}, {}},
        {"last page", {page("a", true, "a"), page("b", false, "b")}, {}, {"a", "b"}, {}},
        {"pieces", {pieces}, {}, {"a-b", "c"}, {}},
        {"repeated IDs",
         {repeats, page("b", false, "y")},
         {},
         {"a=A", "b", "c=C", longId + "=" + longName},
         {}},
        {"many repeated IDs", {many}, {}, manyIds, {}},
    };
    const NoProxy noProxy;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testing::TestGateway gateway(c.script);
        const GatewayConnection connection(gateway.address(), "sk-list", "x-api-key",
                                           Client::claude);
        const TrustStore trust{gateway.caFile().string(), std::nullopt, std::nullopt};
        const auto start = std::chrono::steady_clock::now();
        const GatewayModelList list =
            gatewayModels(connection, Client::claude, {}, {}, c.limits, trust);
        EXPECT_LT(std::chrono::steady_clock::now() - start, c.limits.total + 500ms);
        std::vector<std::string> ids;
        for (const GatewayModel& model : list.models) {
            ids.push_back(model.name ? model.id + "=" + *model.name : model.id);
        }
        if (c.ids.empty()) {
            EXPECT_FALSE(ids.empty());
            EXPECT_LT(ids.size(), 5u);
        } else {
            EXPECT_EQ(ids, c.ids);
        }
        EXPECT_EQ(list.incomplete, c.incomplete);
    }
}

TEST(GatewayModels, RefusesAFirstPageOverTheSizeLimit) {
    const NoProxy noProxy;
    const testing::TestGateway gateway({page("a", false, "a")});
    const GatewayConnection connection(gateway.address(), "sk-list", "bearer", Client::openCode);
    const TrustStore trust{gateway.caFile().string(), std::nullopt, std::nullopt};
    try {
        gatewayModels(connection, Client::openCode, {}, {}, {.bytes = 10}, trust);
        ADD_FAILURE() << "no error";
    } catch (const SetupError& error) {
        EXPECT_EQ(error.text(),
                  testing::zh("check.models.too-large",
                              {{"size", testing::zhCount("check.models.bytes",
                                                         "check.models.bytes.plural", 10)}}));
    }
}

}  // namespace
}  // namespace corvane
