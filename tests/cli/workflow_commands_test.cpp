#include <gtest/gtest.h>
#include <signal.h>

#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "files/key_redaction.h"
#include "support/apply_patch.h"
#include "support/catalogue_text.h"
#include "support/fake_hermes.h"
#include "support/gateway_samples.h"
#include "support/run_program.h"
#include "support/workflow_environment.h"

namespace corvane {
namespace {

using testing::FakeBundleOptions;
using testing::filesWithTimes;
using testing::kWorkflowKey;
using testing::passingReply;
using testing::ProgramResult;
using testing::readFile;
using testing::WorkflowEnvironment;
using testing::writeFile;
using testing::zh;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) result.push_back(line);
    return result;
}

// Runs the program; neither output may ever show the key.
ProgramResult runWithoutLeaks(const testing::ProgramRun& run) {
    const ProgramResult result = testing::runProgram(run);
    EXPECT_EQ(result.output.find(kWorkflowKey), std::string::npos) << result.output;
    EXPECT_EQ(result.error.find(kWorkflowKey), std::string::npos) << result.error;
    return result;
}

// The real `corvane` program in the environment's temporary home (inherited
// from this process's environment), with its fake bundles and local gateway.
class CommandLine {
public:
    explicit CommandLine(WorkflowEnvironment& env) : env_(env) {}

    ProgramResult run(std::vector<std::string> arguments,
                      std::optional<std::string> key = kWorkflowKey) const {
        testing::ProgramRun run;
        run.program = CORVANE_CLI_PATH;
        run.arguments = std::move(arguments);
        run.environment["CORVANE_API_KEY"] = std::move(key);
        // Only the test's own programs and the system's: no real opencode.
        run.environment["PATH"] = (env_.home.path() / "bin").string() + ":/usr/bin:/bin";
        return runWithoutLeaks(run);
    }

    ProgramResult apply(const std::string& client, std::vector<std::string> more = {}) const {
        std::vector<std::string> arguments = {"apply", "--client", client, "--address",
                                              env_.gateway.address() + "/api"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return run(arguments);
    }

    // `corvane status --json` for one client.
    nlohmann::json status(const std::string& client) const {
        const ProgramResult result = run({"status", "--json", "--client", client});
        EXPECT_EQ(result.exitStatus, 0) << result.error;
        const nlohmann::json list = nlohmann::json::parse(result.output);
        return list.size() == 1 ? list[0] : nlohmann::json();
    }

    ProgramResult reset(const std::string& client, std::vector<std::string> more = {}) const {
        std::vector<std::string> arguments = {"reset", "--client", client};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return run(arguments);
    }

private:
    WorkflowEnvironment& env_;
};

// The last lines of a program's output.
std::vector<std::string> tail(const ProgramResult& result, std::size_t count) {
    const auto all = lines(result.output);
    if (all.size() < count) return all;
    return std::vector(all.end() - static_cast<std::ptrdiff_t>(count), all.end());
}

std::filesystem::path backupOf(const std::filesystem::path& file) {
    return file.parent_path() / ("." + file.filename().string() + ".corvane-backup");
}

TEST(WorkflowCommands, EveryClientAppliesAndResets) {
    struct Case {
        std::string client;
        Client value;
        std::function<std::filesystem::path(WorkflowEnvironment&)> install;
        std::vector<std::string> options;  // auth, models and restart answer
        std::string requestPath;
        std::string header;                  // the authentication header and its value
        std::string file;                    // relative to home
        std::string before;                  // the user's file before the apply ("" for none)
        std::string marker;                  // what the apply writes into the file
        std::vector<std::string> applyTail;  // the last status lines of the apply
        std::vector<std::string> resetTail;
        std::vector<std::string> events;  // the application, after both runs
    };
    const auto named = [](std::string name, std::string identifier = "com.example.fake",
                          std::optional<std::string> version = "1.0") {
        return [=](WorkflowEnvironment& env) {
            FakeBundleOptions options;
            options.bundleIdentifier = identifier;
            options.shortVersion = version;
            return env.install(name, options);
        };
    };
    const std::string bearer = std::string("Bearer ") + kWorkflowKey;
    const Case cases[] = {
        {"codex",
         Client::codex,
         named("Codex", "com.openai.codex"),
         {"--model", "gpt-5=GPT Five", "--yes"},
         "/api/v1/responses",
         "authorization",
         ".codex/config.toml",
         "model = \"o3\"\n",
         "corvane_desktop_setup",
         {zh("workflow.restart.saved.restarting", {{"application", "Codex"}}),
          zh("workflow.restart.saved.reopened-new-chat", {{"application", "Codex"}})},
         {zh("workflow.restart.restored.restarting", {{"application", "Codex"}}),
          zh("workflow.restart.restored.reopened", {{"application", "Codex"}})},
         {"start", "term", "start", "term", "start"}},
        {"openCode",
         Client::openCode,
         named("OpenCode", "ai.opencode.desktop"),
         {"--auth", "x-api-key", "--model", "m1", "--model", "m2", "--no-restart"},
         "/api/v1/chat/completions",
         "x-api-key",
         ".config/opencode/opencode.json",
         "{\"theme\": \"dark\"}",
         "corvane-desktop",
         {zh("workflow.restart.question.now-title", {{"application", "OpenCode"}}),
          zh("workflow.restart.question.text"), zh("workflow.restart.question.restart-later")},
         {zh("workflow.reset.restored-after-restart")},
         {}},
        {"OpenClaw（小龙虾）",
         Client::openClaw,
         named("OpenClaw", "ai.openclaw.mac"),
         {"--model", "m1", "--yes"},
         "/api/v1/chat/completions",
         "authorization",
         ".openclaw/openclaw.json",
         "{\"gateway\": {\"port\": 18789}}",
         "corvane-desktop",
         {zh("workflow.restart.saved.restarting", {{"application", "OpenClaw"}}),
          zh("workflow.restart.saved.reopened", {{"application", "OpenClaw"}})},
         {zh("workflow.restart.restored.restarting", {{"application", "OpenClaw"}}),
          zh("workflow.restart.restored.reopened", {{"application", "OpenClaw"}})},
         {"start", "term", "start", "term", "start"}},
        {"workBuddy",
         Client::workBuddy,
         named("WorkBuddy", "com.tencent.workbuddy.mac"),
         {"--model", "wb-1", "--yes"},
         "/api/v1/chat/completions",
         "authorization",
         ".workbuddy/models.json",
         "[{\"id\": \"mine\", \"name\": \"Mine\"}]",
         "corvane-workbuddy-",
         {zh("workflow.apply.saving-restarting", {{"client", "WorkBuddy"}}),
          zh("workflow.restart.saved.restarting", {{"application", "WorkBuddy"}}),
          zh("workflow.restart.saved.reopened-pick-model", {{"application", "WorkBuddy"}})},
         {zh("workflow.restart.restored.restarting", {{"application", "WorkBuddy"}}),
          zh("workflow.restart.restored.reopened", {{"application", "WorkBuddy"}})},
         {"start", "term", "start", "term", "start"}},
        {"hermes",
         Client::hermes,
         [](WorkflowEnvironment& env) { return env.installHermes(); },
         {"--model", "h-1", "--yes"},
         "/api/v1/chat/completions",
         "authorization",
         ".hermes/config.yaml",
         "# Hermes\nmodel:\n  default: local\nterminal:\n  backend: local\n",
         "base_url",
         {zh("workflow.restart.saved.restarting", {{"application", "Hermes"}}),
          zh("workflow.restart.saved.reopened", {{"application", "Hermes"}})},
         {zh("workflow.restart.restored.restarting", {{"application", "Hermes"}}),
          zh("workflow.restart.restored.reopened", {{"application", "Hermes"}})},
         {"start", "term", "start", "term", "start"}},
        {"claude",
         Client::claude,
         [](WorkflowEnvironment& env) {
             FakeBundleOptions options;
             options.bundleIdentifier = "com.anthropic.claudefordesktop";
             options.shortVersion = "4.5000.1";
             options.behaviour.sealAfterMs = 100;
             return env.install("Claude", options);
         },
         {"--auth", "x-api-key", "--model", "claude-sonnet=Sonnet", "--yes"},
         "/api/v1/messages",
         "x-api-key",
         "Library/Application Support/Claude-3p/configLibrary/"
         "1be8c9c6-da90-41e3-aef8-49c1ee88640d.json",
         "",
         "__sealed__:",
         {zh("workflow.apply.claude-applying", {{"client", "Claude"}}),
          zh("workflow.apply.claude-applied")},
         {zh("workflow.restart.restored.restarting", {{"application", "Claude"}}),
          zh("workflow.restart.restored.reopened", {{"application", "Claude"}})},
         {"start", "term", "start", "term", "start"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.client);
        WorkflowEnvironment env;
        const CommandLine cli(env);
        const auto app = c.install(env);
        if (!c.events.empty()) env.launch(app);
        const auto file = env.home.path() / c.file;
        if (!c.before.empty()) writeFile(file, c.before);
        env.gateway.setScript({passingReply(c.value)});
        std::vector<std::string> models;
        for (std::size_t i = 0; i + 1 < c.options.size(); ++i) {
            if (c.options[i] == "--model")
                models.push_back(c.options[i + 1].substr(0, c.options[i + 1].find('=')));
        }
        const nlohmann::json before = cli.status(c.client);
        EXPECT_EQ(before["client"], caseName(c.value));
        EXPECT_EQ(before["installed"], true);
        EXPECT_EQ(before["configured"], false);

        const ProgramResult applied = cli.apply(c.client, c.options);
        const std::string appliedText = readFile(file);
        EXPECT_EQ(applied.exitStatus, 0) << applied.output << applied.error;
        EXPECT_EQ(tail(applied, c.applyTail.size()), c.applyTail) << applied.output;
        EXPECT_EQ(lines(applied.output).front(),
                  zh("workflow.check.model-progress",
                     {{"index", "1"}, {"total", std::to_string(env.gateway.requests().size())}}));
        for (const auto& request : env.gateway.requests()) {
            EXPECT_EQ(request.path, c.requestPath);
            EXPECT_EQ(request.header(c.header),
                      c.header == "authorization" ? bearer : std::string(kWorkflowKey));
        }
        ASSERT_TRUE(std::filesystem::exists(file));
        EXPECT_NE(readFile(file).find(c.marker), std::string::npos) << readFile(file);
        const auto backup = backupOf(file);
        if (!c.before.empty()) {
            EXPECT_EQ(readFile(backup), c.before);
        }
        const nlohmann::json after = cli.status(c.client);
        EXPECT_EQ(after["configured"], true) << after;
        EXPECT_EQ(after["models"], models) << after;
        EXPECT_EQ(after["address"], env.gateway.address() + "/api") << after;
        EXPECT_EQ(after["files"][0]["exists"], true) << after;
        EXPECT_EQ(after.dump().find(kWorkflowKey), std::string::npos);
        if (c.value == Client::hermes) {
            // Judged by the receipt alone: without it the same file is not the tool's.
            const auto receipt = file.parent_path() / ".config.yaml.corvane-reset";
            const std::string kept = readFile(receipt);
            std::filesystem::remove(receipt);
            EXPECT_EQ(cli.status(c.client)["configured"], false);
            writeFile(receipt, kept);
        }

        // The reset's dry run shows what goes, the key redacted though the
        // reset never knew it (the runner checks the key appears nowhere).
        const auto applyState = filesWithTimes(env.home.path());
        const ProgramResult resetPreview = cli.reset(c.client, {"--dry-run"});
        EXPECT_EQ(resetPreview.exitStatus, 0) << resetPreview.error;
        EXPECT_NE(resetPreview.output.find("--- a/"), std::string::npos) << resetPreview.output;
        EXPECT_EQ(filesWithTimes(env.home.path()), applyState);

        const ProgramResult reset = cli.reset(c.client, {c.options.back()});
        EXPECT_EQ(reset.exitStatus, 0) << reset.output << reset.error;
        EXPECT_EQ(tail(reset, c.resetTail.size()), c.resetTail) << reset.output;
        EXPECT_FALSE(std::filesystem::exists(backup));
        if (std::filesystem::exists(file)) {
            EXPECT_EQ(readFile(file).find(c.marker), std::string::npos) << readFile(file);
        }
        if (c.before.empty()) {
            EXPECT_FALSE(std::filesystem::exists(file));
        } else if (file.extension() == ".yaml") {
            const auto original = env.home.path() / "original.yaml";
            writeFile(original, c.before);
            EXPECT_EQ(testing::readYamlWithPyYAML(file), testing::readYamlWithPyYAML(original));
        } else if (file.extension() == ".json") {
            EXPECT_EQ(testing::parsedFile(file), nlohmann::json::parse(c.before));
        } else {
            EXPECT_EQ(readFile(file), c.before);
        }
        ASSERT_TRUE(testing::waitUntil([&] { return env.events().size() >= c.events.size(); }));
        EXPECT_EQ(env.events(), c.events);
        const nlohmann::json undone = cli.status(c.client);
        EXPECT_EQ(undone["configured"], false) << undone;
        EXPECT_EQ(undone["files"][0]["backup"], false) << undone;

        // A dry run changes nothing on disk, and its diff, applied with patch,
        // gives what the apply wrote, key aside (WorkBuddy's ids are new on
        // every first save, and Claude seals its key after the write).
        const auto untouched = filesWithTimes(env.home.path());
        std::vector<std::string> dryRun = c.options;
        dryRun.push_back("--dry-run");
        const ProgramResult preview = cli.apply(c.client, dryRun);
        EXPECT_EQ(preview.exitStatus, 0) << preview.error;
        EXPECT_EQ(filesWithTimes(env.home.path()), untouched);
        EXPECT_NE(preview.output.find("+++ b/"), std::string::npos) << preview.output;
        if (c.value != Client::workBuddy && c.value != Client::claude) {
            ASSERT_TRUE(testing::applyPatch(preview.output)) << preview.output;
            EXPECT_EQ(readFile(file), redactedSecrets(appliedText, kWorkflowKey));
        }
    }
}

std::string restartLater() { return zh("workflow.restart.question.text"); }

TEST(WorkflowCommands, ADryRunAfterTheSameApplyHasNothingToWrite) {
    WorkflowEnvironment env;
    const CommandLine cli(env);
    env.install("OpenClaw");
    env.gateway.setScript({passingReply(Client::openClaw), passingReply(Client::openClaw)});
    ASSERT_EQ(cli.apply("openClaw", {"--model", "m1", "--no-restart"}).exitStatus, 0);
    const ProgramResult preview = cli.apply("openClaw", {"--model", "m1", "--dry-run"});
    EXPECT_EQ(preview.exitStatus, 0) << preview.error;
    EXPECT_EQ(preview.output, "");
    EXPECT_EQ(lines(preview.error).back(), zh("workflow.preview.up-to-date")) << preview.error;
}

TEST(WorkflowCommands, FailingModelCheckWritesNothing) {
    WorkflowEnvironment env;
    const CommandLine cli(env);
    env.install("OpenClaw");
    env.gateway.setScript({passingReply(Client::openClaw), testing::failingReply(401)});
    const ProgramResult result = cli.apply("openClaw", {"--model", "m1", "--model", "m2", "--yes"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(lines(result.output),
              (std::vector<std::string>{
                  zh("workflow.check.model-progress", {{"index", "1"}, {"total", "2"}}),
                  zh("workflow.check.model-progress", {{"index", "2"}, {"total", "2"}})}));
    EXPECT_EQ(result.error,
              zh("check.model.http-check-key", {{"model", "m2"}, {"code", "401"}}) + "\n");
    EXPECT_EQ(env.gateway.requests().size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(env.home.path() / ".openclaw"));
    EXPECT_TRUE(env.events().empty());
}

TEST(WorkflowCommands, FailureDetailFollowsTheSentenceOnStandardError) {
    WorkflowEnvironment env;
    const CommandLine cli(env);
    env.install("OpenClaw");
    env.gateway.setScript({passingReply(Client::openClaw)});
    const std::filesystem::path folder = env.home.path() / "openclaw.json";
    std::filesystem::create_directory(folder);
    const ProgramResult result =
        cli.apply("openClaw", {"--model", "m1", "--config", folder.string(), "--yes"});
    EXPECT_EQ(result.exitStatus, 1);
    const std::string sentence = zh("workflow.apply.failed");
    EXPECT_NE((result.output + result.error).find(sentence), std::string::npos);
    // The detail is the line of standard error after the sentence, wherever that went.
    EXPECT_EQ(result.error.substr(result.error.find('\n', result.error.find(sentence)) + 1),
              testing::zh("files.error.read",
                          {{"file", "~/openclaw.json"}, {"reason", "Is a directory"}}) +
                  "\n")
        << result.error;
}

TEST(WorkflowCommands, DecliningTheRestart) {
    struct Case {
        std::string name;
        Client client;
        std::string bundle;
        std::vector<std::string> arguments;  // after the client's name
        int exitStatus;
        std::vector<std::string> tail;
        std::string file;
        bool written;
        // When set, `bundle` is a desktop entry's file name and this its Name=.
        std::string desktopName = {};
    };
    const std::string userOpenClaw = "{\"gateway\": {\"port\": 18789}}";
    const Case cases[] = {
        {"Codex, --no-restart",
         Client::codex,
         "Codex",
         {"apply", "--model", "gpt-5", "--no-restart"},
         0,
         {zh("workflow.apply.saved-after-restart"),
          zh("workflow.restart.question.now-title", {{"application", "Codex"}}), restartLater(),
          zh("workflow.restart.question.restart-later")},
         ".codex/config.toml",
         true},
        {"OpenCode's desktop entry names it, --no-restart",
         Client::openCode,
         "OpenCode.desktop",
         {"apply", "--model", "m1", "--no-restart"},
         0,
         {zh("workflow.apply.saved-after-restart"),
          zh("workflow.restart.question.now-title",
             {{"application", "\\x1b]8;;x:y\\x07Open\\x1b]8;;\\x07\\x1b[2KCode"}}),
          restartLater(), zh("workflow.restart.question.restart-later")},
         ".config/opencode/opencode.json",
         true,
         "\x1b]8;;x:y\x07Open\x1b]8;;\x07\x1b[2KCode"},
        {"OpenClaw, no terminal and no flag",
         Client::openClaw,
         "OpenClaw",
         {"apply", "--model", "m1"},
         0,
         {zh("workflow.apply.saved-after-restart"),
          zh("workflow.restart.question.now-title", {{"application", "OpenClaw"}}), restartLater(),
          zh("workflow.restart.question.restart-later")},
         ".openclaw/openclaw.json",
         true},
        {"WorkBuddy, no terminal and no flag",
         Client::workBuddy,
         "WorkBuddy",
         {"apply", "--model", "wb"},
         3,
         {zh("workflow.check.model-progress", {{"index", "1"}, {"total", "1"}}),
          zh("workflow.restart.question.apply-title", {{"application", "WorkBuddy"}}),
          restartLater(), zh("workflow.question.cancel"), zh("workflow.status.cancelled")},
         ".workbuddy",
         false},
        {"Claude, --no-restart",
         Client::claude,
         "Claude",
         {"apply", "--model", "claude-sonnet", "--no-restart"},
         3,
         {zh("workflow.restart.question.apply-title", {{"application", "Claude"}}), restartLater(),
          zh("workflow.question.cancel"),
          zh("workflow.apply.claude-restart-declined", {{"client", "Claude"}})},
         "Library/Application Support/Claude-3p",
         false},
        {"OpenClaw reset, no terminal and no flag",
         Client::openClaw,
         "OpenClaw",
         {"reset"},
         0,
         {zh("workflow.reset.question.title", {{"client", zh("model.client.name.openClaw")}}),
          zh("workflow.reset.question.text"), zh("workflow.reset.question.reset-later"),
          zh("workflow.reset.restoring"), zh("workflow.reset.restored-after-restart")},
         ".openclaw/.openclaw.json.corvane-backup",
         false},
        {"WorkBuddy reset, --no-restart",
         Client::workBuddy,
         "WorkBuddy",
         {"reset", "--no-restart"},
         3,
         {zh("workflow.reset.question.title", {{"client", "WorkBuddy"}}),
          zh("workflow.reset.question.text"), zh("workflow.question.cancel"),
          zh("workflow.status.cancelled")},
         ".workbuddy/.models.json.corvane-backup",
         true},
        {"Claude reset, no terminal and no flag",
         Client::claude,
         "Claude",
         {"reset"},
         3,
         {zh("workflow.reset.question.title", {{"client", "Claude"}}),
          zh("workflow.reset.question.text"), zh("workflow.question.cancel"),
          zh("workflow.status.cancelled")},
         "Library/Application Support/Claude-3p",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkflowEnvironment env;
        const CommandLine cli(env);
        FakeBundleOptions options;
        options.shortVersion = "4.9999.0";
        env.launch(c.desktopName.empty() ? env.install(c.bundle, options)
                                         : env.installDesktopEntry(c.bundle, c.desktopName));
        env.gateway.setScript({passingReply(c.client)});
        if (c.arguments.front() == "reset" && c.client != Client::claude) {
            writeFile(env.home.path() / ".openclaw/openclaw.json", userOpenClaw);
            testing::sampleConfiguration(c.client).save(InstalledApplication{});
        }
        std::vector<std::string> rest(c.arguments.begin() + 1, c.arguments.end());
        const ProgramResult result = c.arguments.front() == "reset"
                                         ? cli.reset(std::string(caseName(c.client)), rest)
                                         : cli.apply(std::string(caseName(c.client)), rest);
        EXPECT_EQ(result.exitStatus, c.exitStatus) << result.output << result.error;
        EXPECT_EQ(tail(result, c.tail.size()), c.tail) << result.output;
        EXPECT_EQ(std::filesystem::exists(env.home.path() / c.file), c.written);
        EXPECT_EQ(env.events(), std::vector<std::string>{"start"});
    }
}

TEST(WorkflowCommands, ResetOutcomes) {
    struct Case {
        std::string name;
        std::string bundle;
        std::string file;
        std::string before;
        int exitStatus;
        std::string last;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"OpenClaw, nothing of the tool's",
         "OpenClaw",
         ".openclaw/openclaw.json",
         "{\"gateway\": {\"port\": 18789}}",
         0,
         zh("workflow.reset.nothing-to-restore"),
         {"start"}},
        {"OpenClaw, no file at all",
         "OpenClaw",
         "",
         "",
         0,
         zh("workflow.reset.nothing-to-restore"),
         {"start"}},
        {"WorkBuddy, nothing of the tool's",
         "WorkBuddy",
         ".workbuddy/models.json",
         "[{\"id\": \"mine\", \"name\": \"Mine\"}]",
         0,
         zh("workflow.reset.nothing-to-restore"),
         {"start", "term", "start"}},
        {"OpenClaw, unreadable file",
         "OpenClaw",
         ".openclaw/openclaw.json",
         "{\"models\": ",
         1,
         zh("workflow.reset.failed"),
         {"start"}},
        {"WorkBuddy, unreadable file",
         "WorkBuddy",
         ".workbuddy/models.json",
         "[{",
         1,
         zh("workflow.reset.failed"),
         {"start", "term", "start"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkflowEnvironment env;
        const CommandLine cli(env);
        env.launch(env.install(c.bundle));
        if (!c.file.empty()) writeFile(env.home.path() / c.file, c.before);
        const ProgramResult result = cli.reset(c.bundle, {"--yes"});
        EXPECT_EQ(result.exitStatus, c.exitStatus) << result.output << result.error;
        // A failure's sentence comes first on standard error; its detail may follow.
        const auto said = c.exitStatus == 0 ? tail(result, 1) : lines(result.error);
        ASSERT_FALSE(said.empty()) << result.output;
        EXPECT_EQ(said.front(), c.last) << result.output;
        if (!c.file.empty()) {
            EXPECT_EQ(readFile(env.home.path() / c.file), c.before);
        }
        ASSERT_TRUE(testing::waitUntil([&] { return env.events().size() >= c.events.size(); }));
        EXPECT_EQ(env.events(), c.events);
    }
}

TEST(WorkflowCommands, ChosenPathAndNamedBundle) {
    WorkflowEnvironment env;
    const CommandLine cli(env);
    testing::FakeBundleOptions options;
    options.behaviour.log = env.log();
    const auto app = testing::makeFakeBundle(env.home.path() / "Elsewhere", "OpenClaw", options);
    const auto file = env.home.path() / "mine/openclaw.json";
    const std::string before = "{\"gateway\": {\"port\": 18789}}";
    writeFile(file, before);
    env.gateway.setScript({passingReply(Client::openClaw)});

    testing::ProgramRun run;
    run.program = CORVANE_CLI_PATH;
    run.arguments = {
        "apply",      "--client", "openClaw",   "--address",   env.gateway.address() + "/api",
        "--model",    "m1",       "--config",   file.string(), "--app",
        app.string(), "--yes",    "--key-stdin"};
    run.environment["CORVANE_API_KEY"] = std::nullopt;
    run.input = std::string(kWorkflowKey) + "\n";
    const ProgramResult applied = runWithoutLeaks(run);
    EXPECT_EQ(applied.exitStatus, 0) << applied.output << applied.error;
    EXPECT_EQ(tail(applied, 1), std::vector<std::string>{zh("workflow.restart.saved.reopened",
                                                            {{"application", "OpenClaw"}})});
    EXPECT_FALSE(std::filesystem::exists(env.home.path() / ".openclaw"));
    ASSERT_TRUE(std::filesystem::exists(file)) << applied.output;
    EXPECT_NE(readFile(file).find(kWorkflowKey), std::string::npos);
    EXPECT_EQ(env.gateway.requests().at(0).header("authorization"),
              std::string("Bearer ") + kWorkflowKey);
    EXPECT_EQ(env.events(), (std::vector<std::string>{"start"}));
    // The remembered path is the owner's alone, whatever the umask.
    const auto store = env.home.path() / ".config/Corvane";
    EXPECT_EQ(testing::permissions(store), 0700u);
    EXPECT_EQ(testing::permissions(store / "Corvane Setup.conf"), 0600u);

    // The remembered path leads the reset to the chosen file, and is forgotten.
    const ProgramResult reset = cli.reset("openClaw", {"--no-restart", "--app", app.string()});
    EXPECT_EQ(reset.exitStatus, 0) << reset.output << reset.error;
    EXPECT_EQ(tail(reset, 1),
              std::vector<std::string>{zh("workflow.reset.restored-after-restart")});
    EXPECT_EQ(testing::parsedFile(file), nlohmann::json::parse(before));
    const ProgramResult again = cli.reset("openClaw", {"--no-restart", "--app", app.string()});
    EXPECT_EQ(tail(again, 1), std::vector<std::string>{zh("workflow.reset.nothing-to-restore")});
    testing::killBundleProcesses(app);
}

TEST(WorkflowCommands, ConfigOnly) {
    struct Case {
        std::string name;
        Client client;
        std::string model;
        std::optional<std::string> opencode;  // what a fake `opencode --version` prints
        std::string file;
        std::string before;
        int exitStatus;
        std::vector<std::string> output;  // standard output, then standard error
        std::string expectedKey;          // a top-level member of the written JSON
    };
    const std::vector<std::string> saved = {
        zh("workflow.check.model-progress", {{"index", "1"}, {"total", "1"}}),
        zh("workflow.apply.saving"), zh("workflow.apply.saved-after-restart")};
    // Found only as its program: that program reads the settings when it next starts.
    const std::vector<std::string> savedForOpenCode = {
        zh("workflow.check.model-progress", {{"index", "1"}, {"total", "1"}}),
        zh("workflow.apply.saving"),
        zh("workflow.apply.saved-next-launch", {{"program", "opencode"}})};
    const Case cases[] = {
        {"Claude refused",
         Client::claude,
         "claude-sonnet",
         std::nullopt,
         "",
         "",
         1,
         {zh("workflow.apply.claude-config-only")},
         ""},
        {"Cursor refused",
         Client::cursor,
         "m",
         std::nullopt,
         "",
         "",
         1,
         {zh("workflow.guidance-only.in-app", {{"client", "Cursor / Grok Build"}})},
         ""},
        {"OpenCode 1.x from the program on PATH", Client::openCode, "m", "opencode 1.4.2",
         ".config/opencode/opencode.json", "", 0, savedForOpenCode, "provider"},
        {"OpenCode 2 from the program on PATH", Client::openCode, "m", "v2.0.1",
         ".config/opencode/opencode.json", "", 0, savedForOpenCode, "providers"},
        {"OpenCode without a program", Client::openCode, "m", std::nullopt,
         ".config/opencode/opencode.json", "", 0, saved, "providers"},
        {"WorkBuddy without a bundle", Client::workBuddy, "wb", std::nullopt,
         ".workbuddy/models.json", "", 0, saved, ""},
        {"Hermes without a bundle, no file yet", Client::hermes, "h", std::nullopt,
         ".hermes/config.yaml", "", 0, saved, "model"},
        {"Hermes without a bundle, YAML file",
         Client::hermes,
         "h",
         std::nullopt,
         ".hermes/config.yaml",
         "model:\n  default: local\n",
         1,
         {zh("workflow.check.model-progress", {{"index", "1"}, {"total", "1"}}),
          zh("workflow.apply.saving"), zh("clients.hermes.run-first")},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkflowEnvironment env;
        const CommandLine cli(env);
        if (c.opencode) {
            writeFile(env.home.path() / "bin/opencode", "#!/bin/sh\necho '" + *c.opencode + "'\n");
            std::filesystem::permissions(env.home.path() / "bin/opencode",
                                         std::filesystem::perms(0755));
        }
        if (!c.before.empty()) writeFile(env.home.path() / c.file, c.before);
        env.gateway.setScript({passingReply(c.client)});
        const ProgramResult result =
            cli.apply(std::string(caseName(c.client)), {"--model", c.model, "--config-only"});
        EXPECT_EQ(result.exitStatus, c.exitStatus) << result.output << result.error;
        EXPECT_EQ(lines(result.output + result.error), c.output);
        if (c.exitStatus != 0) {
            EXPECT_EQ(env.gateway.requests().size(), c.before.empty() ? 0u : 1u);
            if (!c.before.empty()) {
                EXPECT_EQ(readFile(env.home.path() / c.file), c.before);
            }
            continue;
        }
        const auto written = testing::parsedFile(env.home.path() / c.file);
        if (!c.expectedKey.empty()) {
            EXPECT_TRUE(written.contains(c.expectedKey)) << written;
        }
        if (c.client == Client::openCode) {
            EXPECT_FALSE(written.contains(c.expectedKey == "provider" ? "providers" : "provider"));
        }
    }
}

TEST(WorkflowCommands, UsageErrors) {
    WorkflowEnvironment env;
    const CommandLine cli(env);
    const std::vector<std::vector<std::string>> cases = {
        {"apply", "--client", "openClaw", "--address", "https://x", "--model", "m", "--yes",
         "--no-restart"},
        {"apply", "--client", "nobody", "--address", "https://x", "--model", "m"},
        {"apply", "--client", "openClaw", "--address", "https://x"},
        {"apply", "--client", "openClaw", "--address", "https://x", "--model", "m", "--key",
         "sk-x"},
        {"reset", "--client", "openClaw", "--config-only"},
        {"reset"},
        {"apply", "--client", "codex", "--address", "https://x", "--model", "m", "--config",
         "/tmp/config.toml"},
        {"reset", "--client", "openCode", "--config", "opencode.json"},
        {"reset", "--client", "claude", "--config", ""},
        {"apply", "--client", "hermes", "--address", "https://x", "--model", "a", "--model", "b"},
    };
    for (const auto& arguments : cases) {
        SCOPED_TRACE(arguments.back());
        EXPECT_EQ(cli.run(arguments).exitStatus, 2);
    }
    EXPECT_TRUE(env.gateway.requests().empty());
}

TEST(WorkflowCommands, NotInstalled) {
    WorkflowEnvironment env;
    const CommandLine cli(env);
    const std::string missing = (env.home.path() / "Elsewhere/OpenClaw.app").string();
    for (const auto& more : std::vector<std::vector<std::string>>{{}, {"--app", missing}}) {
        SCOPED_TRACE(more.size());
        std::vector<std::string> arguments = {"--model", "m", "--yes"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        const ProgramResult result = cli.apply("openClaw", arguments);
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.output, "");
        EXPECT_EQ(result.error, zh("workflow.apply.install-first",
                                   {{"client", zh("model.client.name.openClaw")}}) +
                                    "\n");
    }
    EXPECT_TRUE(env.gateway.requests().empty());
    EXPECT_FALSE(std::filesystem::exists(env.home.path() / ".openclaw"));
}

TEST(WorkflowCommands, RelativeChosenPathIsRememberedFromAnyFolder) {
    WorkflowEnvironment env;
    const CommandLine cli(env);
    env.install("OpenClaw");
    const auto work = env.home.path() / "work";
    const auto file = work / "mine/openclaw.json";
    writeFile(file, "{\"gateway\": {\"port\": 18789}}");
    env.gateway.setScript({passingReply(Client::openClaw)});

    testing::ProgramRun apply;
    apply.program = CORVANE_CLI_PATH;
    apply.arguments = {
        "apply",   "--client", "openClaw", "--address",          env.gateway.address() + "/api",
        "--model", "m1",       "--config", "mine/openclaw.json", "--no-restart"};
    apply.environment["CORVANE_API_KEY"] = kWorkflowKey;
    apply.workingDirectory = work;
    const ProgramResult applied = runWithoutLeaks(apply);
    ASSERT_EQ(applied.exitStatus, 0) << applied.output << applied.error;
    EXPECT_NE(readFile(file).find("corvane-desktop"), std::string::npos);

    testing::ProgramRun reset;
    reset.program = CORVANE_CLI_PATH;
    reset.arguments = {"reset", "--client", "openClaw", "--no-restart"};
    reset.workingDirectory = env.home.path();
    const ProgramResult result = runWithoutLeaks(reset);
    EXPECT_EQ(result.exitStatus, 0) << result.output << result.error;
    EXPECT_EQ(tail(result, 1),
              std::vector<std::string>{zh("workflow.reset.restored-after-restart")});
    EXPECT_EQ(readFile(file).find("corvane-desktop"), std::string::npos);
}

TEST(WorkflowCommands, InterruptStopsTheRunBeforeAnythingIsWritten) {
    WorkflowEnvironment env;
    env.install("OpenClaw");
    // Answered only long after the interrupt; a run that did not stop would
    // pass the check and write the file.
    testing::GatewayReply slow = passingReply(Client::openClaw);
    slow.headDelay = std::chrono::seconds(30);
    env.gateway.setScript({slow});

    std::jthread interrupter;
    testing::ProgramRun run;
    run.program = CORVANE_CLI_PATH;
    run.arguments = {"apply",   "--client", "openClaw", "--address", env.gateway.address() + "/api",
                     "--model", "m1",       "--yes"};
    run.environment["CORVANE_API_KEY"] = kWorkflowKey;
    run.started = [&](pid_t pid) {
        interrupter = std::jthread([&env, pid] {
            if (testing::waitUntil([&] { return env.gateway.requests().size() == 1; })) {
                ::kill(pid, SIGINT);
            }
        });
    };
    const ProgramResult result = runWithoutLeaks(run);
    interrupter.join();
    EXPECT_EQ(result.exitStatus, 130) << result.output << result.error;
    EXPECT_EQ(lines(result.output).front(),
              zh("workflow.check.model-progress", {{"index", "1"}, {"total", "1"}}));
    EXPECT_FALSE(std::filesystem::exists(env.home.path() / ".openclaw"));
    EXPECT_EQ(env.events(), std::vector<std::string>{});
}

}  // namespace
}  // namespace corvane
