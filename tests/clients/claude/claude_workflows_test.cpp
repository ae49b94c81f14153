#include "clients/claude/claude_workflows.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <functional>
#include <stop_token>
#include <thread>

#include "clients/claude/claude_files.h"
#include "model/setup_error.h"
#include "platform/home.h"
#include "platform/platform_error.h"
#include "support/catalogue_text.h"
#include "support/fake_bundle.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::FakeAppBehaviour;
using testing::readFile;
using testing::writeFile;

const std::string kManaged = testing::zh("clients.claude.managed");
const std::string kNotSealed = testing::zh("clients.claude.key-not-sealed");
const std::string kRestoreFailed = testing::zh("clients.claude.restore-failed");
const std::string kNotStopped = testing::zh("apps.stop.did-not-quit", {{"application", "Claude"}});

GatewaySettings settings(const std::string& key = "sk-test-0123456789") {
    return GatewaySettings("https://gateway.example/api", key, "x-api-key",
                           {ModelRow("claude-sonnet-4", "")}, Client::claude);
}

// The system's workspace, with a hook that runs before each application is
// opened, so that a test can act between the write and Claude's start.
class HookedWorkspace : public Workspace {
public:
    std::vector<std::shared_ptr<RunningApplication>> runningApplications(
        const std::filesystem::path& bundle) override {
        return system_->runningApplications(bundle);
    }
    std::optional<std::filesystem::path> urlForApplication(std::string_view id) override {
        return system_->urlForApplication(id);
    }
    std::shared_ptr<RunningApplication> openApplication(const std::filesystem::path& bundle,
                                                        std::stop_token stop) override {
        ++opened;
        if (beforeOpen) beforeOpen();
        return system_->openApplication(bundle, std::move(stop));
    }
    void openURL(const std::string& url) override { system_->openURL(url); }

    std::function<void()> beforeOpen;
    int opened = 0;

private:
    std::unique_ptr<Workspace> system_ = makeSystemWorkspace();
};

FakeAppBehaviour sealing(int afterMs) {
    FakeAppBehaviour behaviour;
    behaviour.sealAfterMs = afterMs;
    return behaviour;
}

FakeAppBehaviour quitting(int afterMs) {
    FakeAppBehaviour behaviour;
    behaviour.quitAfterMs = afterMs;
    return behaviour;
}

FakeAppBehaviour ignoringTerminate() {
    FakeAppBehaviour behaviour;
    behaviour.ignoreTerminate = true;
    return behaviour;
}

class ClaudeWorkflowsTest : public ::testing::Test {
protected:
    testing::TempHome home;
    ClaudeFiles files{home.path() / "Library/Application Support/Claude-3p"};
    std::filesystem::path log = home.path() / "claude.log";
    std::filesystem::path managed = home.path() / "Managed Preferences";
    HookedWorkspace workspace;
    std::stop_source stop;
    ApplicationControl control{workspace, stop.get_token(), ApplicationTiming{20ms, 100}};
    ClaudeTiming timing{25ms, 40, 20ms, 30};
    std::filesystem::path claude;

    void TearDown() override {
        if (!claude.empty()) testing::killBundleProcesses(claude);
    }

    // Claude.app in a folder of its own, behaving as told, logging to `log`.
    void install(FakeAppBehaviour behaviour) {
        behaviour.log = log;
        testing::FakeBundleOptions options;
        options.bundleIdentifier = "com.anthropic.claudefordesktop";
        options.behaviour = behaviour;
        claude = testing::makeFakeBundle(home.path() / "Applications", "Claude", options);
    }

    void startClaude() {
        workspace.openApplication(claude, {});
        workspace.opened = 0;
        ASSERT_TRUE(testing::waitUntil([&] { return starts() == 1; }));
    }

    bool running() const { return !control.runningApplications(claude).empty(); }

    int count(const std::string& word) const {
        int found = 0;
        for (const auto& line : testing::logLines(log)) found += line.starts_with(word + " ");
        return found;
    }
    int starts() const { return count("start"); }
    int terms() const { return count("term"); }

    // Claude's choice before the tool, in Claude's own formatting.
    void writeUserFiles() {
        writeFile(files.meta(),
                  "{\"appliedId\":\"x\",\"entries\":[{\"id\":\"x\",\"name\":\"Mine\"}]}");
        writeFile(files.mode(), "{\"deploymentMode\":\"1p\",\"other\":true}");
    }

    std::string failureOf(const std::function<void()>& run) {
        try {
            run();
        } catch (const SetupError& error) {
            return error.text();
        } catch (const OperationCancelled&) {
            return "cancelled";
        } catch (const std::exception& error) {
            return std::string("other: ") + error.what();
        }
        return "succeeded";
    }
};

TEST_F(ClaudeWorkflowsTest, AppliesWhenClaudeSealsTheKeyAndResetsAfterwards) {
    install(sealing(30));
    writeUserFiles();
    startClaude();
    timing.sealingChecks = 400;  // room for a slow start on a busy machine

    configureClaude(settings(), claude, control, timing, managed);
    EXPECT_TRUE(files.didClaudeSealKey());
    EXPECT_EQ(terms(), 1);
    EXPECT_EQ(starts(), 2);
    EXPECT_TRUE(running());
    EXPECT_EQ(nlohmann::json::parse(readFile(files.recovery())),
              nlohmann::json({{"appliedId", "x"}, {"deploymentMode", "1p"}}));

    EXPECT_TRUE(resetClaude(claude, control));
    EXPECT_TRUE(testing::waitUntil([&] { return !running(); }));
    EXPECT_EQ(starts(), 2);
    EXPECT_EQ(nlohmann::json::parse(readFile(files.meta())),
              nlohmann::json::parse(R"({"appliedId":"x","entries":[{"id":"x","name":"Mine"}]})"));
    EXPECT_EQ(nlohmann::json::parse(readFile(files.mode())),
              nlohmann::json::parse(R"({"deploymentMode":"1p","other":true})"));
    EXPECT_FALSE(std::filesystem::exists(files.profile()));
    EXPECT_FALSE(std::filesystem::exists(files.recovery()));
}

TEST_F(ClaudeWorkflowsTest, AClaudeThatNeverSealsIsQuitAndStartedOnItsOldFiles) {
    install({});
    writeUserFiles();
    startClaude();
    const ClaudeSnapshot before = files.snapshot();

    EXPECT_EQ(failureOf([&] { configureClaude(settings(), claude, control, timing, managed); }),
              kNotSealed);
    EXPECT_EQ(files.snapshot(), before);
    EXPECT_EQ(terms(), 2);  // once stopped for the write, once after the wait
    EXPECT_EQ(workspace.opened, 2);
    EXPECT_TRUE(testing::waitUntil([&] { return starts() == 3; }));
    EXPECT_TRUE(running());
}

TEST_F(ClaudeWorkflowsTest, AClaudeThatQuitsBeforeSealingEndsTheWaitAtOnce) {
    install(quitting(30));
    const ClaudeSnapshot before = files.snapshot();
    // Waiting out every check would end in the watchdog's cancellation instead.
    timing.sealingChecks = 1'000'000;
    std::jthread watchdog([&](std::stop_token done) {
        for (int waited = 0; waited < 600; ++waited) {
            if (done.stop_requested()) return;
            std::this_thread::sleep_for(50ms);
        }
        stop.request_stop();
    });

    EXPECT_EQ(failureOf([&] { configureClaude(settings(), claude, control, timing, managed); }),
              kNotSealed);
    EXPECT_EQ(files.snapshot(), before);
    EXPECT_EQ(terms(), 0);
    EXPECT_EQ(workspace.opened, 2);
}

TEST_F(ClaudeWorkflowsTest, AManagedClaudeIsNeitherStoppedNorRead) {
    install({});
    writeFile(files.meta(), "[]");
    startClaude();
    const std::vector<std::filesystem::path> preferenceFiles = {
        managed / "com.anthropic.claudefordesktop.plist",
        managed / userName() / "com.anthropic.claudefordesktop.plist",
    };
    for (const auto& preferences : preferenceFiles) {
        SCOPED_TRACE(preferences);
        writeFile(preferences, "");
        EXPECT_EQ(failureOf([&] { configureClaude(settings(), claude, control, timing, managed); }),
                  kManaged);
        std::filesystem::remove(preferences);
    }
    EXPECT_EQ(terms(), 0);
    EXPECT_EQ(workspace.opened, 0);
    EXPECT_EQ(readFile(files.meta()), "[]");
    // Without the preference files the same files are read, and refused.
    EXPECT_EQ(failureOf([&] { configureClaude(settings(), claude, control, timing, managed); }),
              testing::zh("clients.claude.malformed"));
}

TEST_F(ClaudeWorkflowsTest, AClaudeThatWillNotQuitKeepsItsFiles) {
    install(ignoringTerminate());
    writeUserFiles();
    startClaude();
    const ClaudeSnapshot before = files.snapshot();
    const ApplicationControl impatient(workspace, stop.get_token(), ApplicationTiming{20ms, 5});

    EXPECT_EQ(failureOf([&] { configureClaude(settings(), claude, impatient, timing, managed); }),
              kNotStopped);
    EXPECT_EQ(files.snapshot(), before);
    EXPECT_EQ(workspace.opened, 0);
    EXPECT_TRUE(running());
}

// Limits the size of files this process writes, the way a full disk does.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { lift(); }
    void lift() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = SIG_DFL;
};

TEST_F(ClaudeWorkflowsTest, AFailedWritePutsTheFilesBackAndStartsClaudeAgain) {
    install(sealing(10));
    writeUserFiles();
    startClaude();
    const ClaudeSnapshot before = files.snapshot();
    // The recovery record fits, the profile with its long key does not.
    FileSizeLimit limit(1024);
    workspace.beforeOpen = [&] { limit.lift(); };

    const std::string failure = failureOf([&] {
        configureClaude(settings(std::string(4096, 'k')), claude, control, timing, managed);
    });
    limit.lift();
    EXPECT_TRUE(failure.starts_with("other: ")) << failure;
    EXPECT_EQ(files.snapshot(), before);
    EXPECT_EQ(workspace.opened, 1);
    EXPECT_TRUE(testing::waitUntil([&] { return starts() == 2; }));
    EXPECT_TRUE(running());
}

TEST_F(ClaudeWorkflowsTest, AFailedRestoreDeletesTheProfileAndLeavesClaudeStopped) {
    install({});
    writeUserFiles();
    startClaude();
    const ClaudeSnapshot before = files.snapshot();
    // Once the files are written, something takes the place of Claude's index
    // that no file can be renamed over.
    workspace.beforeOpen = [&] {
        std::filesystem::remove(files.meta());
        writeFile(files.meta() / "occupied", "");
    };

    EXPECT_EQ(failureOf([&] { configureClaude(settings(), claude, control, timing, managed); }),
              kRestoreFailed);
    EXPECT_FALSE(std::filesystem::exists(files.profile()));
    EXPECT_EQ(readFile(files.mode()), *before[2]);
    EXPECT_FALSE(std::filesystem::exists(files.recovery()));
    EXPECT_EQ(workspace.opened, 1);
    EXPECT_TRUE(testing::waitUntil([&] { return !running(); }));
}

TEST_F(ClaudeWorkflowsTest, ACancelledWaitQuitsClaudeAndPutsTheFilesBack) {
    install({});
    writeUserFiles();
    const ClaudeSnapshot before = files.snapshot();
    workspace.beforeOpen = [&] {
        if (workspace.opened == 1) stop.request_stop();
    };

    EXPECT_EQ(failureOf([&] { configureClaude(settings(), claude, control, timing, managed); }),
              "cancelled");
    EXPECT_EQ(files.snapshot(), before);
    EXPECT_EQ(workspace.opened, 2);
}

TEST_F(ClaudeWorkflowsTest, ResetWithNothingOfTheToolsLeavesClaudeAlone) {
    install({});
    writeUserFiles();
    startClaude();
    const ClaudeSnapshot before = files.snapshot();

    EXPECT_FALSE(resetClaude(claude, control));
    EXPECT_EQ(files.snapshot(), before);
    EXPECT_EQ(terms(), 0);
    EXPECT_TRUE(running());
}

TEST_F(ClaudeWorkflowsTest, ResetWithoutTheApplicationNeverStopsOrStartsClaude) {
    install({});
    files.apply(settings());
    startClaude();

    EXPECT_TRUE(resetClaude(std::nullopt, control));
    for (const auto& path : files.paths()) EXPECT_FALSE(std::filesystem::exists(path)) << path;
    EXPECT_EQ(terms(), 0);
    EXPECT_EQ(workspace.opened, 0);
    EXPECT_TRUE(running());
}

TEST_F(ClaudeWorkflowsTest, AFailedResetPutsTheFilesBackAndRestartsOnlyAClaudeThatRan) {
    install({});
    writeUserFiles();
    files.apply(settings());
    writeFile(files.recovery(), "[]");  // a record the reset cannot read
    const ClaudeSnapshot before = files.snapshot();
    for (const bool wasRunning : {true, false}) {
        SCOPED_TRACE(wasRunning ? "running" : "not running");
        if (wasRunning) startClaude();
        workspace.opened = 0;

        EXPECT_TRUE(failureOf([&] { resetClaude(claude, control); }).starts_with("other: "));
        EXPECT_EQ(files.snapshot(), before);
        EXPECT_EQ(workspace.opened, wasRunning ? 1 : 0);
        testing::killBundleProcesses(claude);
        std::filesystem::remove(log);
    }
}

}  // namespace
}  // namespace corvane
