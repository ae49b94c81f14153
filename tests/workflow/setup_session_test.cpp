#include "workflow/setup_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "platform/platform_error.h"
#include "support/catalogue_text.h"
#include "support/recording_host.h"
#include "support/workflow_environment.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::RecordingHost;
using testing::WorkflowEnvironment;
using testing::zh;

// A system that never answers a request to open an application.
class UnansweringWorkspace : public Workspace {
public:
    explicit UnansweringWorkspace(Workspace& inner) : inner_(inner) {}
    std::vector<std::shared_ptr<RunningApplication>> runningApplications(
        const std::filesystem::path& bundle) override {
        return inner_.runningApplications(bundle);
    }
    std::optional<std::filesystem::path> urlForApplication(std::string_view id) override {
        return inner_.urlForApplication(id);
    }
    std::shared_ptr<RunningApplication> openApplication(const std::filesystem::path&,
                                                        std::stop_token stop) override {
        std::mutex mutex;
        std::condition_variable_any woken;
        std::unique_lock lock(mutex);
        woken.wait(lock, stop, [] { return false; });
        throw OperationCancelled();
    }
    void openURL(const std::string& url) override { inner_.openURL(url); }

private:
    Workspace& inner_;
};

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
        EXPECT_FALSE(shown(host, zh("workflow.reset.restoring")));
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
    EXPECT_EQ(host.status(), zh("workflow.reset.restored-after-restart"));
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
    EXPECT_FALSE(host.failed());
    EXPECT_EQ(host.status(), zh("workflow.stopped.nothing-restored"));
}

struct StopCase {
    const char* name;
    bool (SetupSession::*start)(const SetupForm&);
    std::string status;
};

// A stop while the gateway has not answered: the run ends within a second,
// says so, and writes nothing.
TEST(SetupSession, AStopEndsAGatewayRunWithinASecond) {
    const StopCase cases[] = {
        {"apply", &SetupSession::submit, zh("workflow.stopped.nothing-written")},
        {"preview", &SetupSession::previewSubmit, zh("workflow.stopped.plain")},
        {"connection test", &SetupSession::testConnection, zh("workflow.stopped.plain")},
        {"model list", &SetupSession::fetchGatewayModels, zh("workflow.stopped.plain")},
    };
    for (const StopCase& entry : cases) {
        SCOPED_TRACE(entry.name);
        WorkflowEnvironment env;
        env.install("OpenClaw");
        testing::GatewayReply slow = testing::passingReply(Client::openClaw);
        slow.headDelay = 30s;
        env.gateway.setScript({slow});
        RecordingHost host;
        SetupSession session(host, env.services);
        ASSERT_TRUE((session.*entry.start)(env.form(Client::openClaw)));
        ASSERT_TRUE(testing::waitUntil([&] { return env.gateway.requests().size() == 1; }));
        const auto asked = std::chrono::steady_clock::now();
        session.requestStop();
        EXPECT_EQ(session.wait(), WorkflowOutcome::stopped);
        EXPECT_LT(std::chrono::steady_clock::now() - asked, 1s);
        EXPECT_EQ(host.status(), entry.status);
        EXPECT_FALSE(host.failed());
        EXPECT_FALSE(host.working());
        EXPECT_FALSE(std::filesystem::exists(env.home.path() / ".openclaw"));
    }
}

// Opening Cursor waits for the system: the window must stay responsive, and
// closing it must not wait for an answer that never comes.
TEST(SetupSession, OpensCursorOnTheWorker) {
    WorkflowEnvironment env;
    testing::FakeBundleOptions options;
    options.bundleIdentifier = "com.todesktop.230313mzl4w4u92";
    env.install("Cursor", options);
    UnansweringWorkspace workspace(env.services.workspace);
    WorkflowServices services(workspace);
    services.systemApplications = env.services.systemApplications;
    RecordingHost host;
    host.setFailed(true);
    SetupSession session(host, services);
    ASSERT_TRUE(session.submit(testing::blankForm(Client::cursor)));
    EXPECT_TRUE(session.working());
    EXPECT_TRUE(host.working());
    session.stopAndWait();
    EXPECT_FALSE(host.working());
    EXPECT_FALSE(host.failed());
    EXPECT_EQ(host.statuses(), std::vector<std::string>{zh("workflow.stopped.plain")});
}

}  // namespace
}  // namespace corvane
