#include "workflow/setup_session.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/recording_host.h"
#include "support/workflow_environment.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::RecordingHost;
using testing::WorkflowEnvironment;

bool shown(const RecordingHost& host, const std::string& status) {
    const auto statuses = host.statuses();
    return std::find(statuses.begin(), statuses.end(), status) != statuses.end();
}

TEST(SetupSession, RefusesASecondRunAndStopsTheTaskWhenDestroyed) {
    WorkflowEnvironment env;
    env.install("OpenClaw");
    // The gateway answers only after the session is gone; a task that did not
    // stop would pass the check and write the file.
    testing::GatewayReply slow = testing::passingReply(Client::openClaw);
    slow.headDelay = 30s;
    env.gateway.setScript({slow});
    RecordingHost host;
    {
        SetupSession session(host, env.services);
        ASSERT_TRUE(session.submit(env.form(Client::openClaw)));
        ASSERT_TRUE(testing::waitUntil([&] { return env.gateway.requests().size() == 1; }));
        EXPECT_TRUE(session.working());
        EXPECT_TRUE(host.working());
        EXPECT_FALSE(session.submit(env.form(Client::openClaw)));
        EXPECT_FALSE(
            session.resetConfiguration(testing::blankForm(Client::openClaw), std::nullopt));
        EXPECT_FALSE(shown(host, "正在恢复配置"));
    }
    EXPECT_FALSE(host.working());
    EXPECT_FALSE(host.keyCleared());
    EXPECT_EQ(env.gateway.requests().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(env.home.path() / ".openclaw"));
}

TEST(SetupSession, RunsOneTaskAfterAnother) {
    WorkflowEnvironment env;
    env.install("OpenClaw");
    env.gateway.setScript({testing::passingReply(Client::openClaw)});
    RecordingHost host;
    host.answer(false);
    SetupSession session(host, env.services);
    ASSERT_TRUE(session.submit(env.form(Client::openClaw)));
    EXPECT_EQ(session.wait(), WorkflowOutcome::succeeded);
    EXPECT_FALSE(session.working());
    ASSERT_TRUE(session.resetConfiguration(testing::blankForm(Client::openClaw), std::nullopt));
    EXPECT_EQ(session.wait(), WorkflowOutcome::succeeded);
    EXPECT_EQ(host.status(), "配置已恢复。重启后生效。");
}

TEST(SetupSession, StopRequestEndsTheWaitForAnApplication) {
    WorkflowEnvironment env;
    testing::FakeBundleOptions options;
    options.behaviour.ignoreTerminate = true;
    const auto app = env.install("OpenClaw", options);
    env.launch(app);
    env.services.applicationTiming = {50ms, 100000};
    RecordingHost host;
    SetupSession session(host, env.services);
    ASSERT_TRUE(session.resetConfiguration(testing::blankForm(Client::workBuddy), app));
    ASSERT_TRUE(testing::waitUntil([&] { return env.events().size() == 2; }));
    session.stopAndWait();
    EXPECT_FALSE(session.working());
    EXPECT_FALSE(host.working());
    EXPECT_TRUE(host.failed());
}

}  // namespace
}  // namespace corvane
