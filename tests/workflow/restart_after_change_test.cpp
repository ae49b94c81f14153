#include "workflow/restart_after_change.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/platform_error.h"
#include "platform/posix/posix_workspace.h"
#include "support/catalogue_text.h"
#include "support/fake_bundle.h"
#include "support/recording_host.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using testing::ExtraFile;
using testing::FakeBundleOptions;
using testing::logLines;
using testing::RecordingHost;
using testing::zh;

const Placeholder kWorkBuddy{"application", "WorkBuddy"};

TEST(ConfirmRestart, TextsAndAnswer) {
    struct Case {
        bool needsRestartToApply;
        bool answer;
        std::string_view message;
        std::string_view proceed;
        std::string_view decline;
    };
    const Case cases[] = {
        {true, true, "workflow.restart.question.apply-title", "workflow.button.apply-restart",
         "workflow.question.cancel"},
        {true, false, "workflow.restart.question.apply-title", "workflow.button.apply-restart",
         "workflow.question.cancel"},
        {false, true, "workflow.restart.question.now-title",
         "workflow.restart.question.restart-now", "workflow.restart.question.restart-later"},
        {false, false, "workflow.restart.question.now-title",
         "workflow.restart.question.restart-now", "workflow.restart.question.restart-later"},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        host.answer(c.answer);
        EXPECT_EQ(confirmRestart(host, "/Applications/WorkBuddy.app", c.needsRestartToApply),
                  c.answer);
        const std::vector<Question> questions = host.questions();
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].messageText, zh(c.message, {{"application", "WorkBuddy"}}));
        EXPECT_EQ(questions[0].informativeText, zh("workflow.restart.question.text"));
        EXPECT_EQ(questions[0].proceedButton, zh(c.proceed));
        EXPECT_EQ(questions[0].declineButton, zh(c.decline));
        EXPECT_TRUE(host.statuses().empty());
    }
}

class RestartAfterChangeTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const auto& bundle : bundles_) testing::killBundleProcesses(bundle);
        EXPECT_TRUE(testing::waitUntil([] { return testing::zombieChildren().empty(); }));
    }

    std::filesystem::path bundle(const std::string& name, FakeBundleOptions options = {}) {
        options.behaviour.log = log();
        bundles_.push_back(testing::makeFakeBundle(home_.path() / "Applications", name, options));
        return bundles_.back();
    }

    void launchAndWait(const std::filesystem::path& app) {
        control_.launchApplication(app);
        ASSERT_TRUE(testing::waitUntil([&] { return !logLines(log()).empty(); }));
    }

    // The log's words without PIDs, e.g. {"start", "term", "start"}.
    std::vector<std::string> events() const {
        std::vector<std::string> words;
        for (const std::string& line : logLines(log()))
            words.push_back(line.substr(0, line.find(' ')));
        return words;
    }

    std::filesystem::path log() const { return home_.path() / "events.log"; }

    testing::TempHome home_;
    PosixWorkspace workspace_{home_.path() / "System"};
    std::stop_source stop_;
    ApplicationControl control_{workspace_, stop_.get_token(), {std::chrono::milliseconds(5), 400}};
    std::vector<std::filesystem::path> bundles_;
    RecordingHost host_;
};

TEST_F(RestartAfterChangeTest, RunningApplicationIsStoppedAndOpenedAgain) {
    auto app = bundle("WorkBuddy");
    launchAndWait(app);
    restartAfterChange(host_, control_, Client::workBuddy, app, ChangeMade::saved);
    EXPECT_EQ(
        host_.statuses(),
        (std::vector<std::string>{zh("workflow.restart.saved.restarting", {kWorkBuddy}),
                                  zh("workflow.restart.saved.reopened-pick-model", {kWorkBuddy})}));
    EXPECT_FALSE(host_.failed());
    ASSERT_TRUE(testing::waitUntil([&] { return events().size() == 3; }));
    EXPECT_EQ(events(), (std::vector<std::string>{"start", "term", "start"}));
    EXPECT_EQ(control_.runningApplications(app).size(), 1u);
}

TEST_F(RestartAfterChangeTest, ApplicationThatWasNotRunningIsLaunched) {
    auto app = bundle("Hermes");
    restartAfterChange(host_, control_, Client::hermes, app, ChangeMade::restored);
    EXPECT_EQ(host_.statuses(),
              (std::vector<std::string>{
                  zh("workflow.restart.restored.restarting", {{"application", "Hermes"}}),
                  zh("workflow.restart.restored.reopened", {{"application", "Hermes"}})}));
    EXPECT_FALSE(host_.failed());
    EXPECT_EQ(control_.runningApplications(app).size(), 1u);
}

TEST_F(RestartAfterChangeTest, ApplicationThatDoesNotQuitIsNotLaunched) {
    FakeBundleOptions options;
    options.behaviour.ignoreTerminate = true;
    auto app = bundle("WorkBuddy", options);
    launchAndWait(app);
    ApplicationControl control(workspace_, stop_.get_token(), {std::chrono::milliseconds(1), 5});
    restartAfterChange(host_, control, Client::workBuddy, app, ChangeMade::saved);
    EXPECT_EQ(
        host_.statuses(),
        (std::vector<std::string>{
            zh("workflow.restart.saved.restarting", {kWorkBuddy}),
            zh("workflow.restart.saved.failed",
               {{"failure", zh("apps.stop.did-not-quit", {{"application", "WorkBuddy"}})}})}));
    EXPECT_TRUE(host_.failed());
    EXPECT_EQ(events(), (std::vector<std::string>{"start", "term"}));
}

TEST_F(RestartAfterChangeTest, RefusedLaunchAsksToOpenByHand) {
    FakeBundleOptions options;
    options.executableName = "gone";
    auto app = bundle("WorkBuddy", options);
    std::filesystem::remove(app / "Contents/MacOS/gone");
    restartAfterChange(host_, control_, Client::workBuddy, app, ChangeMade::saved);
    EXPECT_EQ(
        host_.statuses(),
        (std::vector<std::string>{zh("workflow.restart.saved.restarting", {kWorkBuddy}),
                                  zh("workflow.restart.saved.failed",
                                     {{"failure", zh("workflow.open.manually", {kWorkBuddy})}})}));
    EXPECT_TRUE(host_.failed());
}

TEST_F(RestartAfterChangeTest, OpenCodeServiceStopsBetweenQuitAndLaunch) {
    FakeBundleOptions options;
    options.shortVersion = "2.1.0";
    options.extraFiles["Contents/Resources/opencode-cli"] =
        ExtraFile{"#!/bin/sh\necho \"$1 $2\" >> '" + log().string() + "'\n", true};
    for (Client target : {Client::openCode, Client::codex}) {
        std::filesystem::remove(log());
        auto app = bundle("OpenCode", options);
        launchAndWait(app);
        restartAfterChange(host_, control_, target, app, ChangeMade::saved);
        EXPECT_FALSE(host_.failed());
        ASSERT_TRUE(testing::waitUntil([&] { return events().back() == "start"; }));
        auto expected = target == Client::openCode
                            ? std::vector<std::string>{"start", "term", "service", "start"}
                            : std::vector<std::string>{"start", "term", "start"};
        EXPECT_EQ(events(), expected) << rawValue(target);
        testing::killBundleProcesses(app);
    }
}

TEST_F(RestartAfterChangeTest, FailingServiceToolIsReported) {
    FakeBundleOptions options;
    options.shortVersion = "2.0";
    options.extraFiles["Contents/Resources/opencode-cli"] = ExtraFile{"#!/bin/sh\nexit 1\n", true};
    auto app = bundle("OpenCode", options);
    restartAfterChange(host_, control_, Client::openCode, app, ChangeMade::saved);
    EXPECT_EQ(host_.status(), zh("workflow.restart.saved.failed",
                                 {{"failure", zh("apps.opencode-service.cannot-stop")}}));
    EXPECT_TRUE(host_.failed());
    EXPECT_TRUE(control_.runningApplications(app).empty());
}

TEST_F(RestartAfterChangeTest, StopRequestEndsTheRestart) {
    FakeBundleOptions options;
    options.behaviour.ignoreTerminate = true;
    auto app = bundle("WorkBuddy", options);
    launchAndWait(app);
    stop_.request_stop();
    EXPECT_EQ(restartAfterChange(host_, control_, Client::workBuddy, app, ChangeMade::saved),
              WorkflowOutcome::stopped);
    EXPECT_EQ(host_.statuses(),
              (std::vector<std::string>{zh("workflow.restart.saved.restarting", {kWorkBuddy}),
                                        zh("workflow.restart.saved.stopped", {kWorkBuddy})}));
    EXPECT_FALSE(host_.failed());
}

}  // namespace
}  // namespace corvane
