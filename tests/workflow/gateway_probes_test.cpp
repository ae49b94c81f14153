#include "workflow/gateway_probes.h"

#include <gtest/gtest.h>

#include <mutex>

#include "support/catalogue_text.h"
#include "support/recording_host.h"
#include "support/workflow_environment.h"
#include "workflow/setup_session.h"

namespace corvane {
namespace {

using testing::WorkflowEnvironment;
using testing::zh;

// Also keeps what the two probes hand over.
class ProbeHost : public testing::RecordingHost {
public:
    void showGatewayModels(const std::vector<GatewayModel>& models) override {
        std::lock_guard lock(mutex_);
        listed = models;
    }
    void showModelCheck(std::size_t row, const ModelCheck& found) override {
        std::lock_guard lock(mutex_);
        checks.emplace_back(row, found);
    }

    std::mutex mutex_;
    std::vector<GatewayModel> listed;
    std::vector<std::pair<std::size_t, ModelCheck>> checks;
};

TEST(GatewayProbes, TestConnectionMarksEveryRowAndWritesNothing) {
    WorkflowEnvironment env;
    env.gateway.setScript({testing::failingReply(401), testing::passingReply(Client::openClaw)});
    ProbeHost host;
    SetupSession session(host, env.services);
    ASSERT_TRUE(session.testConnection(
        env.form(Client::openClaw, {ModelRow("model-a", "A"), ModelRow("model-b", "")})));
    EXPECT_EQ(session.wait(), WorkflowOutcome::failed);
    ASSERT_EQ(host.checks.size(), 2u);
    EXPECT_EQ(host.checks[0].first, 0u);
    EXPECT_EQ(host.checks[0].second.httpStatus, 401);
    EXPECT_FALSE(host.checks[0].second.passed);
    EXPECT_EQ(host.checks[1].first, 1u);
    EXPECT_TRUE(host.checks[1].second.passed);
    EXPECT_TRUE(host.failed());
    EXPECT_FALSE(host.working());
    EXPECT_EQ(host.status(), zh("check.model.http-check-key", {{"model", "A"}, {"code", "401"}}));
    EXPECT_FALSE(std::filesystem::exists(env.home.path() / ".openclaw"));

    // An invalid form starts nothing.
    EXPECT_FALSE(session.testConnection(testing::blankForm(Client::openClaw)));
    EXPECT_EQ(env.gateway.requests().size(), 2u);
}

TEST(GatewayProbes, FetchHandsTheListToTheHost) {
    WorkflowEnvironment env;
    testing::GatewayReply list;
    list.contentType = "application/json";
    list.chunks = {{R"({"data":[{"id":"m-1"},{"id":"m-2","display_name":"Two"}]})"}};
    env.gateway.setScript({list});
    ProbeHost host;
    SetupSession session(host, env.services);
    ASSERT_TRUE(session.fetchGatewayModels(env.form(Client::openCode)));
    EXPECT_EQ(session.wait(), WorkflowOutcome::succeeded);
    ASSERT_EQ(host.listed.size(), 2u);
    EXPECT_EQ(host.listed[1].name, "Two");
    EXPECT_EQ(host.status(),
              testing::zhCount("workflow.models.listed", "workflow.models.listed.plural", 2));
    EXPECT_FALSE(host.failed());
}

TEST(GatewayProbes, ChosenModelsFillEmptyRowsFirst) {
    struct FillCase {
        Client client;
        std::vector<ModelRow> rows;
        std::vector<std::pair<std::string, std::string>> expected;
    };
    const std::vector<GatewayModel> chosen = {
        {"m-1", "One"}, {"m-2", std::nullopt}, {"m-3", "Three"}};
    const std::vector<FillCase> cases = {
        {Client::openCode, {ModelRow()}, {{"m-1", "One"}, {"m-2", ""}, {"m-3", "Three"}}},
        {Client::openCode,
         {ModelRow("kept", "K"), ModelRow(" ", ""), ModelRow("m-2", "Mine")},
         {{"kept", "K"}, {"m-1", "One"}, {"m-2", "Mine"}, {"m-3", "Three"}}},
        // WorkBuddy shows no display names.
        {Client::workBuddy, {ModelRow()}, {{"m-1", ""}, {"m-2", ""}, {"m-3", ""}}},
    };
    for (const FillCase& c : cases) {
        std::vector<std::pair<std::string, std::string>> filled;
        for (const ModelRow& row : rowsWithGatewayModels(c.rows, chosen, c.client)) {
            filled.emplace_back(row.modelID, row.displayName);
        }
        EXPECT_EQ(filled, c.expected) << rawValue(c.client);
    }
}

}  // namespace
}  // namespace corvane
