#include "workflow/apply_workflow.h"

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <nlohmann/json.hpp>

#include "support/catalogue_text.h"
#include "support/observing_workspace.h"
#include "support/recording_host.h"
#include "support/tmpfs_mount.h"
#include "support/workflow_environment.h"

namespace corvane {
namespace {

using Moment = std::pair<std::string, bool>;

using testing::FakeBundleOptions;
using testing::GatewayReply;
using testing::kWorkflowKey;
using testing::passingReply;
using testing::readFile;
using testing::RecordingHost;
using testing::WorkflowEnvironment;
using testing::writeFile;
using testing::zh;

const std::string kClaudeFolder = "Library/Application Support/Claude-3p";

FakeBundleOptions claudeBundle(std::optional<std::string> version = "4.4212.0") {
    FakeBundleOptions options;
    options.bundleIdentifier = "com.anthropic.claudefordesktop";
    options.shortVersion = std::move(version);
    options.behaviour.sealAfterMs = 50;
    return options;
}

// Runs both parts of the main button as the session would; nothing when the
// synchronous part gave no task.
std::optional<WorkflowOutcome> submit(WorkflowEnvironment& env, RecordingHost& host,
                                      const SetupForm& form) {
    if (form.client == Client::cursor) {
        const auto location = prepareOpenForSetup(form.client, host, env.services);
        if (!location) return std::nullopt;
        EXPECT_TRUE(host.working());
        return runOpenForSetup(*location, host, env.services, {});
    }
    const auto plan = prepareApply(form, host, env.services);
    if (!plan) return std::nullopt;
    EXPECT_TRUE(host.working());
    return runApply(*plan, host, env.services, {});
}

std::string progress(int index, int total) {
    return zh("workflow.check.model-progress",
              {{"index", std::to_string(index)}, {"total", std::to_string(total)}});
}

std::vector<std::string> requestedModels(const WorkflowEnvironment& env) {
    std::vector<std::string> models;
    for (const auto& request : env.gateway.requests())
        models.push_back(nlohmann::json::parse(request.body)["model"]);
    return models;
}

TEST(ApplyWorkflow, EndStates) {
    struct Case {
        std::string name;
        Client client;
        std::function<void(WorkflowEnvironment&, SetupForm&, RecordingHost&)> prepare;
        bool answer;
        std::optional<std::string> status;  // nothing: no status was ever set
        bool failed;
        bool keyCleared;
        std::optional<WorkflowOutcome> outcome;
        std::string file;  // relative to home
        bool written;
    };
    const auto installed = [](const std::string& name) {
        return [name](WorkflowEnvironment& env, SetupForm&, RecordingHost&) { env.install(name); };
    };
    const Case cases[] = {
        {"not installed, even with an empty form", Client::openClaw,
         [](WorkflowEnvironment&, SetupForm& form, RecordingHost&) {
             form = testing::blankForm(Client::openClaw);
         },
         true, zh("workflow.apply.install-first", {{"client", "OpenClaw（小龙虾）"}}), true, false,
         std::nullopt, ".openclaw/openclaw.json", false},
        {"named bundle missing", Client::openClaw,
         [](WorkflowEnvironment& env, SetupForm&, RecordingHost&) {
             env.services.application = env.home.path() / "Elsewhere/OpenClaw.app";
         },
         true, zh("workflow.apply.install-first", {{"client", "OpenClaw（小龙虾）"}}), true, false,
         std::nullopt, ".openclaw/openclaw.json", false},
        {"invalid form", Client::openClaw,
         [](WorkflowEnvironment& env, SetupForm& form, RecordingHost&) {
             env.install("OpenClaw");
             form.address = "http://gateway.example";
         },
         true, zh("model.form.address-not-https"), true, false, std::nullopt,
         ".openclaw/openclaw.json", false},
        {"cursor is only opened, whatever the form holds", Client::cursor,
         [](WorkflowEnvironment& env, SetupForm& form, RecordingHost& host) {
             FakeBundleOptions options;
             options.bundleIdentifier = "com.todesktop.230313mzl4w4u92";
             env.install("Cursor", options);
             form = testing::blankForm(Client::cursor);
             host.setFailed(true);
         },
         true, std::nullopt, true, false, WorkflowOutcome::succeeded, ".cursor", false},
        {"model check fails", Client::openClaw,
         [](WorkflowEnvironment& env, SetupForm&, RecordingHost&) {
             env.install("OpenClaw");
             env.gateway.setScript({testing::failingReply(401)});
         },
         true, zh("check.model.http-check-key", {{"model", "model-a"}, {"code", "401"}}), true,
         false, WorkflowOutcome::failed, ".openclaw/openclaw.json", false},
        {"Claude declined", Client::claude,
         [](WorkflowEnvironment& env, SetupForm&, RecordingHost&) {
             env.install("Claude", claudeBundle());
         },
         false, zh("workflow.apply.claude-restart-declined", {{"client", "Claude"}}), false, false,
         WorkflowOutcome::declined, kClaudeFolder, false},
        {"WorkBuddy declined", Client::workBuddy, installed("WorkBuddy"), false,
         zh("workflow.status.cancelled"), false, false, WorkflowOutcome::declined,
         ".workbuddy/models.json", false},
        {"Claude applied", Client::claude,
         [](WorkflowEnvironment& env, SetupForm&, RecordingHost&) {
             env.install("Claude", claudeBundle());
         },
         true, zh("workflow.apply.claude-applied"), false, true, WorkflowOutcome::succeeded,
         kClaudeFolder + "/claude_desktop_config.json", true},
        {"saved, not restarted", Client::codex, installed("Codex"), false,
         zh("workflow.apply.saved-after-restart"), false, true, WorkflowOutcome::succeeded,
         ".codex/config.toml", true},
        {"saved and restarted", Client::openClaw, installed("OpenClaw"), true,
         zh("workflow.restart.saved.reopened", {{"application", "OpenClaw"}}), false, true,
         WorkflowOutcome::succeeded, ".openclaw/openclaw.json", true},
        {"Codex restarted", Client::codex, installed("Codex"), true,
         zh("workflow.restart.saved.reopened-new-chat", {{"application", "Codex"}}), false, true,
         WorkflowOutcome::succeeded, ".codex/config.toml", true},
        {"WorkBuddy saved and restarted", Client::workBuddy, installed("WorkBuddy"), true,
         zh("workflow.restart.saved.reopened-pick-model", {{"application", "WorkBuddy"}}), false,
         true, WorkflowOutcome::succeeded, ".workbuddy/models.json", true},
        {"saved, restart fails", Client::openClaw,
         [](WorkflowEnvironment& env, SetupForm&, RecordingHost&) {
             FakeBundleOptions options;
             options.behaviour.ignoreTerminate = true;
             env.launch(env.install("OpenClaw", options));
         },
         true,
         zh("workflow.restart.saved.failed",
            {{"failure", zh("apps.stop.did-not-quit", {{"application", "OpenClaw"}})}}),
         true, true, WorkflowOutcome::succeeded, ".openclaw/openclaw.json", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkflowEnvironment env;
        env.gateway.setScript({passingReply(c.client)});
        RecordingHost host;
        host.answer(c.answer);
        SetupForm form = env.form(c.client);
        c.prepare(env, form, host);

        EXPECT_EQ(submit(env, host, form), c.outcome);
        if (c.status) {
            EXPECT_EQ(host.status(), *c.status);
        } else {
            EXPECT_TRUE(host.statuses().empty());
        }
        EXPECT_EQ(host.failed(), c.failed);
        EXPECT_EQ(host.keyCleared(), c.keyCleared);
        EXPECT_FALSE(host.working());
        EXPECT_EQ(std::filesystem::exists(env.home.path() / c.file), c.written);
        if (!c.outcome) {
            EXPECT_TRUE(env.gateway.requests().empty());
        }
    }
}

// The sentence stays fixed; the detail names the file and the system's reason.
TEST(ApplyWorkflow, FailuresKeepThePathAndTheReason) {
    struct Case {
        std::string name;
        std::string mountOptions;  // empty: no file system of its own
        std::string chosen;        // relative to the folder
        std::string reason;
        std::string sentence = zh("workflow.apply.failed");
    };
    const Case cases[] = {
        {"read-only folder", "ro", "openclaw/openclaw.json", "Read-only file system"},
        {"read-only file system", "ro", "openclaw.json", "Read-only file system",
         zh("files.config.cannot-write-folder")},
        {"unreadable file", "", "openclaw.json", "Is a directory"},
        {"full disk", "size=16k", "openclaw.json", "No space left on device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkflowEnvironment env;
        env.install("OpenClaw");
        env.gateway.setScript({passingReply(Client::openClaw)});
        const std::filesystem::path folder = env.home.path() / "volume";
        std::filesystem::create_directories(folder);
        std::optional<testing::TmpfsMount> volume;
        if (!c.mountOptions.empty()) {
            volume.emplace(folder, c.mountOptions);
            if (!volume->mounted()) {
                std::cerr << "skipped: cannot mount a tmpfs here\n";
                continue;
            }
        }
        const std::filesystem::path file = folder / c.chosen;
        if (c.name == "unreadable file") std::filesystem::create_directory(file);
        if (c.name == "full disk") {
            writeFile(file, "{\"gateway\": {}}");
            volume->fill();
        }
        RecordingHost host;
        host.answer(false);
        SetupForm form = env.form(Client::openClaw);
        form.chosenPath = file.string();

        EXPECT_EQ(submit(env, host, form), WorkflowOutcome::failed);
        EXPECT_TRUE(host.failed());
        EXPECT_EQ(host.status(), c.sentence);
        EXPECT_NE(host.detail().find(c.reason), std::string::npos) << host.detail();
        // The tool's own sentences name it from "~".
        const std::string home = env.home.path().string();
        const std::string named = file.parent_path().string();
        EXPECT_TRUE(host.detail().find(named) != std::string::npos ||
                    host.detail().find("~" + named.substr(home.size())) != std::string::npos)
            << host.detail();
    }
}

TEST(ApplyWorkflow, CursorIsOpened) {
    WorkflowEnvironment env;
    FakeBundleOptions options;
    options.bundleIdentifier = "com.todesktop.230313mzl4w4u92";
    env.install("Cursor", options);
    RecordingHost host;
    EXPECT_EQ(submit(env, host, testing::blankForm(Client::cursor)), WorkflowOutcome::succeeded);
    EXPECT_TRUE(
        testing::waitUntil([&] { return env.events() == std::vector<std::string>{"start"}; }));
    EXPECT_TRUE(host.questions().empty());
}

TEST(ApplyWorkflow, LinuxApplications) {
    {
        WorkflowEnvironment env;
        env.launch(env.installDesktopEntry("OpenCode.desktop", "OpenCode"));
        env.gateway.setScript({passingReply(Client::openCode)});
        RecordingHost host;
        EXPECT_EQ(submit(env, host, env.form(Client::openCode)), WorkflowOutcome::succeeded);
        EXPECT_TRUE(testing::waitUntil([&] {
            return env.events() == std::vector<std::string>{"start", "term", "start"};
        }));
        EXPECT_EQ(host.status(),
                  zh("workflow.restart.saved.reopened", {{"application", "OpenCode"}}));
    }
    {
        WorkflowEnvironment env;
        testing::installProgram(env.home, "openclaw");
        env.gateway.setScript({passingReply(Client::openClaw)});
        RecordingHost host;
        EXPECT_EQ(submit(env, host, env.form(Client::openClaw)), WorkflowOutcome::succeeded);
        EXPECT_EQ(host.status(), zh("workflow.apply.saved-next-launch", {{"program", "openclaw"}}));
        EXPECT_TRUE(host.questions().empty());
        EXPECT_NE(readFile(env.home.path() / ".openclaw/openclaw.json").find("corvane-desktop"),
                  std::string::npos);
    }
    {
        WorkflowEnvironment env;
        env.installDesktopEntry("cursor.desktop", "Cursor");
        RecordingHost host;
        EXPECT_EQ(submit(env, host, testing::blankForm(Client::cursor)),
                  WorkflowOutcome::succeeded);
        EXPECT_TRUE(
            testing::waitUntil([&] { return env.events() == std::vector<std::string>{"start"}; }));
        EXPECT_FALSE(host.failed());
    }
}

TEST(ApplyWorkflow, ModelsAreCheckedOneAfterAnother) {
    const std::vector<ModelRow> rows = {{"m1", ""}, {"m2", "Second"}, {"m3", ""}};
    {
        SCOPED_TRACE("all pass");
        WorkflowEnvironment env;
        env.install("OpenClaw");
        env.gateway.setScript({passingReply(Client::openClaw)});
        RecordingHost host;
        host.answer(false);
        EXPECT_EQ(submit(env, host, env.form(Client::openClaw, rows)), WorkflowOutcome::succeeded);
        EXPECT_EQ(host.statuses(),
                  (std::vector<std::string>{progress(1, 3), progress(2, 3), progress(3, 3),
                                            zh("workflow.apply.saving"),
                                            zh("workflow.apply.saved-after-restart")}));
        EXPECT_EQ(requestedModels(env), (std::vector<std::string>{"m1", "m2", "m3"}));
        for (const auto& request : env.gateway.requests()) {
            EXPECT_EQ(request.path, "/api/v1/chat/completions");
            EXPECT_EQ(request.header("Authorization"), std::string("Bearer ") + kWorkflowKey);
        }
        ASSERT_EQ(host.questions().size(), 1u);
        EXPECT_EQ(host.questions()[0].messageText,
                  zh("workflow.restart.question.now-title", {{"application", "OpenClaw"}}));
    }
    {
        SCOPED_TRACE("the second fails");
        WorkflowEnvironment env;
        env.install("OpenClaw");
        env.gateway.setScript({passingReply(Client::openClaw), testing::failingReply(500),
                               passingReply(Client::openClaw)});
        RecordingHost host;
        SetupForm form = env.form(Client::openClaw, rows);
        form.chosenPath = "~/.openclaw/openclaw.json";
        EXPECT_EQ(submit(env, host, form), WorkflowOutcome::failed);
        EXPECT_EQ(host.statuses(),
                  (std::vector<std::string>{
                      progress(1, 3), progress(2, 3),
                      zh("check.model.http-failed", {{"model", "Second"}, {"code", "500"}})}));
        EXPECT_EQ(requestedModels(env), (std::vector<std::string>{"m1", "m2"}));
        EXPECT_FALSE(std::filesystem::exists(env.home.path() / ".openclaw"));
        EXPECT_TRUE(host.defaults().empty());
        EXPECT_TRUE(host.questions().empty());
        EXPECT_TRUE(host.failed());
        EXPECT_FALSE(host.keyCleared());
    }
}

TEST(ApplyWorkflow, ClaudeVersionGate) {
    struct Case {
        std::optional<std::string> version;
        std::optional<long long> numericVersion;
        bool refused;
    };
    const Case cases[] = {
        {"4.4211.9", std::nullopt, true},    {"3.99999", std::nullopt, true},
        {"4.4212.0", std::nullopt, false},   {"4.4212", std::nullopt, false},
        {"4.10000.0", std::nullopt, false},  {"5", std::nullopt, false},
        {std::nullopt, std::nullopt, false}, {std::nullopt, 4, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version.value_or("unreadable"));
        WorkflowEnvironment env;
        FakeBundleOptions options = claudeBundle(c.version);
        options.numericShortVersion = c.numericVersion;
        env.install("Claude", options);
        RecordingHost host;
        const auto plan = prepareApply(env.form(Client::claude), host, env.services);
        EXPECT_EQ(plan.has_value(), !c.refused);
        EXPECT_EQ(host.working(), !c.refused);
        EXPECT_EQ(host.failed(), c.refused);
        if (c.refused) {
            EXPECT_EQ(host.status(), zh("workflow.apply.update-claude"));
        } else {
            EXPECT_TRUE(host.statuses().empty());
        }
    }
}

TEST(ApplyWorkflow, MinimumSystemWithoutANumberIsIgnored) {
    for (const std::string entry : {"", "abc", "..", "latest.x"}) {
        SCOPED_TRACE(entry);
        WorkflowEnvironment env;
        FakeBundleOptions options;
        options.minimumSystemVersion = entry;
        env.install("OpenClaw", options);
        RecordingHost host;
        EXPECT_TRUE(prepareApply(env.form(Client::openClaw), host, env.services).has_value());
        EXPECT_FALSE(host.failed());
    }
}

TEST(ApplyWorkflow, RemembersTheChosenPathOnlyForClientsWithADefaultPath) {
    struct Case {
        Client client;
        std::string bundle;
        std::string chosenPath;
        bool answer;
        std::map<std::string, std::string> defaults;
    };
    const Case cases[] = {
        {Client::codex, "Codex", "", false, {}},
        {Client::openCode, "OpenCode", "", false, {}},
        {Client::openCode, "OpenCode", "~/elsewhere/opencode.json", false, {}},
        {Client::openClaw,
         "OpenClaw",
         "",
         false,
         {{"corvane.configuration-path.OpenClaw（小龙虾）", ""}}},
        {Client::openClaw,
         "OpenClaw",
         "~/mine/openclaw.json",
         false,
         {{"corvane.configuration-path.OpenClaw（小龙虾）", "~/mine/openclaw.json"}}},
        {Client::hermes, "Hermes", "", false, {{"corvane.configuration-path.Hermes Desktop", ""}}},
        {Client::workBuddy, "WorkBuddy", "", true, {{"corvane.configuration-path.WorkBuddy", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(rawValue(c.client)) + " " + c.chosenPath);
        WorkflowEnvironment env;
        if (c.client == Client::hermes) {
            env.installHermes();
        } else {
            env.install(c.bundle);
        }
        env.gateway.setScript({passingReply(c.client)});
        RecordingHost host;
        host.answer(c.answer);
        SetupForm form = env.form(c.client);
        form.chosenPath = c.chosenPath;
        EXPECT_EQ(submit(env, host, form), WorkflowOutcome::succeeded) << host.status();
        EXPECT_EQ(host.defaults(), c.defaults);
    }
}

TEST(ApplyWorkflow, WorkBuddyIsStoppedBeforeItsFileChangesAndStartedAgain) {
    struct Case {
        std::string name;
        std::optional<std::string> models;  // the file before the run
        bool answer;
        std::vector<std::string> events;
        bool markedAtLaunch;
        bool failed;
        bool ignoreTerminate = false;
    };
    const Case cases[] = {
        {"saved", std::nullopt, true, {"start", "term", "start"}, true, false},
        {"save fails", "[1, 2]", true, {"start", "term", "start"}, false, true},
        {"declined", std::nullopt, false, {"start"}, false, false},
        {"does not quit", "[]", true, {"start", "term"}, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkflowEnvironment env;
        const auto file = env.home.path() / ".workbuddy/models.json";
        if (c.models) writeFile(file, *c.models);
        FakeBundleOptions options;
        options.behaviour.ignoreTerminate = c.ignoreTerminate;
        env.launch(env.install("WorkBuddy", options));
        testing::ObservingWorkspace observer(env.workspace, file, "corvane-workbuddy-");
        WorkflowServices observed(observer);
        observed.systemApplications = env.services.systemApplications;
        observed.applicationTiming = env.services.applicationTiming;
        observed.checkLimits = env.services.checkLimits;
        env.gateway.setScript({passingReply(Client::workBuddy)});
        RecordingHost host;
        host.answer(c.answer);
        const auto plan = prepareApply(env.form(Client::workBuddy), host, observed);
        ASSERT_TRUE(plan);
        runApply(*plan, host, observed, {});

        EXPECT_EQ(host.failed(), c.failed) << host.status();
        ASSERT_TRUE(testing::waitUntil([&] { return env.events().size() >= c.events.size(); }));
        EXPECT_EQ(env.events(), c.events);
        if (c.models) {
            EXPECT_EQ(readFile(file), *c.models);
        }
        if (c.ignoreTerminate) {
            EXPECT_EQ(host.status(), zh("apps.stop.did-not-quit", {{"application", "WorkBuddy"}}));
            EXPECT_EQ(observer.moments.back(), (Moment{"list", false}));
        } else if (c.events.size() > 1) {
            ASSERT_FALSE(observer.moments.empty());
            EXPECT_EQ(observer.moments.front(), (Moment{"list", false}));
            EXPECT_EQ(observer.moments.back(), (Moment{"open", c.markedAtLaunch}));
        } else {
            EXPECT_TRUE(observer.moments.empty());
        }
    }
}

}  // namespace
}  // namespace corvane
