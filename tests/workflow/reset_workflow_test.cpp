#include "workflow/reset_workflow.h"

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "support/catalogue_text.h"
#include "support/gateway_samples.h"
#include "support/observing_workspace.h"
#include "support/recording_host.h"
#include "support/workflow_environment.h"

namespace corvane {
namespace {

using Moment = std::pair<std::string, bool>;

using testing::FakeBundleOptions;
using testing::readFile;
using testing::RecordingHost;
using testing::WorkflowEnvironment;
using testing::writeFile;
using testing::zh;

const std::string kOpenClawPathKey = "corvane.configuration-path.OpenClaw（小龙虾）";
const std::string kUserOpenClaw = "{\n  \"gateway\": {\"port\": 18789}\n}\n";

void saveSample(Client client) {
    testing::sampleConfiguration(client).save(InstalledApplication{});
}

TEST(ResetWorkflow, EndStates) {
    struct Case {
        std::string name;
        bool saved;                         // the tool's entries are in the file
        std::optional<std::string> before;  // the file's bytes instead
        bool ignoreTerminate;
        bool restart;
        std::string status;
        bool failed;
        bool formCleared;
        std::vector<std::string> events;  // OpenClaw was running before
    };
    const Case cases[] = {
        {"removed, no restart",
         true,
         std::nullopt,
         false,
         false,
         zh("workflow.reset.restored-after-restart"),
         false,
         true,
         {"start"}},
        {"removed, restart",
         true,
         std::nullopt,
         false,
         true,
         zh("workflow.restart.restored.reopened", {{"application", "OpenClaw"}}),
         false,
         true,
         {"start", "term", "start"}},
        {"removed, restart fails",
         true,
         std::nullopt,
         true,
         true,
         zh("workflow.restart.restored.failed",
            {{"failure", zh("apps.stop.did-not-quit", {{"application", "OpenClaw"}})}}),
         true,
         true,
         {"start", "term"}},
        {"nothing found",
         false,
         kUserOpenClaw,
         false,
         true,
         zh("workflow.reset.nothing-to-restore"),
         false,
         false,
         {"start"}},
        {"nothing found, no file",
         false,
         std::nullopt,
         false,
         false,
         zh("workflow.reset.nothing-to-restore"),
         false,
         false,
         {"start"}},
        {"failure",
         false,
         "{\"models\": [",
         false,
         true,
         zh("workflow.reset.failed"),
         true,
         false,
         {"start"}},
        {"failure with the tool's message",
         false,
         "[1]",
         false,
         false,
         zh("files.config.not-an-object"),
         true,
         false,
         {"start"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkflowEnvironment env;
        const auto file = env.home.path() / ".openclaw/openclaw.json";
        if (c.before) writeFile(file, *c.before);
        if (c.saved) {
            writeFile(file, kUserOpenClaw);
            saveSample(Client::openClaw);
        }
        FakeBundleOptions options;
        options.behaviour.ignoreTerminate = c.ignoreTerminate;
        const auto app = env.install("OpenClaw", options);
        env.launch(app);
        RecordingHost host;
        host.setUserDefault(kOpenClawPathKey, "");
        SetupForm form = testing::blankForm(Client::openClaw);
        const auto plan = prepareReset(form, c.restart ? std::optional(app) : std::nullopt, host);
        ASSERT_TRUE(plan);
        EXPECT_EQ(host.statuses(), std::vector<std::string>{zh("workflow.reset.restoring")});
        EXPECT_TRUE(host.working());
        const auto bytes = std::filesystem::exists(file) ? readFile(file) : "";

        EXPECT_EQ(runReset(*plan, host, env.services, {}), c.failed && !c.formCleared
                                                               ? WorkflowOutcome::failed
                                                               : WorkflowOutcome::succeeded);
        EXPECT_EQ(host.status(), c.status);
        EXPECT_EQ(host.failed(), c.failed);
        EXPECT_FALSE(host.working());
        EXPECT_EQ(host.formResets(), c.formCleared ? 1 : 0);
        EXPECT_EQ(host.defaults().contains(kOpenClawPathKey), !c.formCleared);
        if (c.saved) {
            EXPECT_EQ(testing::parsedFile(file), nlohmann::json::parse(kUserOpenClaw));
        } else if (c.before) {
            EXPECT_EQ(readFile(file), bytes);
        }
        testing::waitUntil([&] { return env.events().size() >= c.events.size(); });
        EXPECT_EQ(env.events(), c.events);
        EXPECT_FALSE(host.keyCleared());
    }
}

TEST(ResetWorkflow, CursorHasNothingToReset) {
    RecordingHost host;
    EXPECT_FALSE(prepareReset(testing::blankForm(Client::cursor), std::nullopt, host));
    EXPECT_TRUE(host.statuses().empty());
    EXPECT_FALSE(host.working());
}

TEST(ResetWorkflow, ReadsTheCapturedChosenPath) {
    WorkflowEnvironment env;
    const auto file = env.home.path() / "mine/openclaw.json";
    writeFile(file, kUserOpenClaw);
    testing::sampleConfiguration(Client::openClaw, "bearer", {ModelRow("model-a", "")},
                                 file.string())
        .save(InstalledApplication{});
    RecordingHost host;
    SetupForm form = testing::blankForm(Client::openClaw);
    form.chosenPath = file.string();
    const auto plan = prepareReset(form, std::nullopt, host);
    ASSERT_TRUE(plan);
    form.chosenPath = "";
    runReset(*plan, host, env.services, {});
    EXPECT_EQ(host.status(), zh("workflow.reset.restored-after-restart"));
    EXPECT_EQ(testing::parsedFile(file), nlohmann::json::parse(kUserOpenClaw));
    EXPECT_FALSE(std::filesystem::exists(env.home.path() / ".openclaw"));
}

TEST(ResetWorkflow, WorkBuddyIsStoppedBeforeItsFileChangesAndStartedAgain) {
    struct Case {
        std::string name;
        bool saved;
        std::optional<std::string> before;
        bool restart;
        std::string status;
        std::vector<std::string> events;
    };
    const std::string userModels = "[{\"id\": \"mine\", \"name\": \"Mine\"}]";
    const Case cases[] = {
        {"removed",
         true,
         std::nullopt,
         true,
         zh("workflow.restart.restored.reopened", {{"application", "WorkBuddy"}}),
         {"start", "term", "start"}},
        {"nothing found",
         false,
         userModels,
         true,
         zh("workflow.reset.nothing-to-restore"),
         {"start", "term", "start"}},
        {"failure",
         false,
         "{\"models\": 7",
         true,
         zh("workflow.reset.failed"),
         {"start", "term", "start"}},
        {"removed without restart",
         true,
         std::nullopt,
         false,
         zh("workflow.reset.restored-after-restart"),
         {"start"}},
        {"failure without restart",
         false,
         "{\"models\": 7",
         false,
         zh("workflow.reset.failed"),
         {"start"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkflowEnvironment env;
        const auto file = env.home.path() / ".workbuddy/models.json";
        if (c.before) writeFile(file, *c.before);
        if (c.saved) saveSample(Client::workBuddy);
        const auto app = env.install("WorkBuddy");
        env.launch(app);
        testing::ObservingWorkspace observer(env.workspace, file, "corvane-workbuddy-");
        WorkflowServices observed(observer);
        observed.systemApplications = env.services.systemApplications;
        observed.applicationTiming = env.services.applicationTiming;
        RecordingHost host;
        const auto plan = prepareReset(testing::blankForm(Client::workBuddy),
                                       c.restart ? std::optional(app) : std::nullopt, host);
        ASSERT_TRUE(plan);
        runReset(*plan, host, observed, {});

        EXPECT_EQ(host.status(), c.status);
        ASSERT_TRUE(testing::waitUntil([&] { return env.events().size() >= c.events.size(); }));
        EXPECT_EQ(env.events(), c.events);
        if (c.before) {
            EXPECT_EQ(readFile(file), *c.before);
        }
        if (c.restart) {
            ASSERT_FALSE(observer.moments.empty());
            EXPECT_EQ(observer.moments.front(), (Moment{"list", c.saved}));
            EXPECT_EQ(observer.moments.back(), (Moment{"open", false}));
        } else {
            EXPECT_TRUE(observer.moments.empty());
        }
    }
}

}  // namespace
}  // namespace corvane
