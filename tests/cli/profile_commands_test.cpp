#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "model/displayable_lines.h"
#include "support/catalogue_text.h"
#include "support/run_program.h"
#include "support/workflow_environment.h"

namespace corvane {
namespace {

using testing::FakeBundleOptions;
using testing::filesWithTimes;
using testing::kWorkflowKey;
using testing::ProgramResult;
using testing::WorkflowEnvironment;
using testing::writeFile;
using testing::zh;

ProgramResult corvane(const WorkflowEnvironment& env, std::vector<std::string> arguments,
                      bool onTerminal = false) {
    testing::ProgramRun run;
    run.program = CORVANE_CLI_PATH;
    run.arguments = std::move(arguments);
    if (onTerminal) {
        // Standard input and both outputs on one terminal, as a person runs it.
        run.arguments.insert(run.arguments.begin(),
                             {"-c", "import pty, sys; sys.exit(pty.spawn(sys.argv[1:]) >> 8)",
                              run.program.string()});
        run.program = "/usr/bin/python3";
    }
    run.environment["CORVANE_API_KEY"] = kWorkflowKey;
    run.environment["PATH"] = (env.home.path() / "bin").string() + ":/usr/bin:/bin";
    ProgramResult result = testing::runProgram(run);
    EXPECT_EQ(result.output.find(kWorkflowKey), std::string::npos) << result.output;
    EXPECT_EQ(result.error.find(kWorkflowKey), std::string::npos) << result.error;
    return result;
}

// Passes as a Responses stream (its first event) and as a Chat Completions one
// ([DONE]), so one gateway serves every client of the run.
testing::GatewayReply passingForEveryProtocol() {
    testing::GatewayReply reply;
    reply.chunks = {{"data: {\"type\":\"response.completed\"}\n\ndata: [DONE]\n\n"}};
    return reply;
}

void install(WorkflowEnvironment& env, const std::string& name, const std::string& identifier) {
    FakeBundleOptions options;
    options.bundleIdentifier = identifier;
    options.shortVersion = "1.0";
    env.install(name, options);
}

std::vector<std::string> sentRequests(const WorkflowEnvironment& env) {
    std::vector<std::string> sent;
    for (const auto& request : env.gateway.requests()) {
        sent.push_back(request.path + " " +
                       nlohmann::json::parse(request.body)["model"].get<std::string>());
    }
    return sent;
}

TEST(ProfileCommands, AppliesToFourClientsAndASecondRunWritesNothing) {
    WorkflowEnvironment env;
    install(env, "Codex", "com.openai.codex");
    install(env, "OpenCode", "ai.opencode.desktop");
    install(env, "OpenClaw", "ai.openclaw.mac");
    env.installHermes();
    env.gateway.setScript({passingForEveryProtocol()});
    writeFile(env.home.path() / ".openclaw/openclaw.json", "{\"gateway\": {\"port\": 18789}}");
    const auto profile = env.home.path() / "team.json5";
    writeFile(profile, "// our gateway\n{ address: '" + env.gateway.address() +
                           "/api', models: [{id: 'm1', name: 'Model One'}, 'm2'], }\n");
    const std::vector<std::string> apply = {"apply",    "--profile",   profile.string(),
                                            "--client", "codex",       "--client",
                                            "all",      "--no-restart"};

    const ProgramResult first = corvane(env, apply);
    EXPECT_EQ(first.exitStatus, 0) << first.output << first.error;
    // One line per client: "<client>：<status>", Hermes' with its one-model note.
    const auto line = [](const std::string& client, const std::string& status) {
        return zh("cli.profile.client-line", {{"client", client}, {"line", status}});
    };
    const auto hermesLine = [&](const std::string& status) {
        return line("Hermes Desktop",
                    zh("workflow.profile.first-model-only",
                       {{"status", status}, {"client", "Hermes Desktop"}, {"model", "m1"}}));
    };
    const std::string saved = zh("workflow.apply.saved-after-restart");
    for (const std::string& expected :
         {line("Codex", saved), line("OpenCode Desktop", saved),
          line(zh("model.client.name.openClaw"), saved), hermesLine(saved)}) {
        EXPECT_NE(first.output.find(expected + "\n"), std::string::npos) << expected << "\n"
                                                                         << first.output;
    }
    // Codex's Responses request per model, then one Chat Completions request
    // per model for the three clients that share it.
    const std::vector<std::string> once = {"/api/v1/responses m1", "/api/v1/responses m2",
                                           "/api/v1/chat/completions m1",
                                           "/api/v1/chat/completions m2"};
    EXPECT_EQ(sentRequests(env), once);
    EXPECT_TRUE(std::filesystem::exists(env.home.path() / ".codex/corvane-model-catalog.json"));

    const auto written = filesWithTimes(env.home.path());
    const ProgramResult second = corvane(env, apply);
    EXPECT_EQ(second.exitStatus, 0) << second.output << second.error;
    const std::string current = zh("workflow.profile.already-current");
    EXPECT_EQ(second.output, line("Codex", current) + "\n" + line("OpenCode Desktop", current) +
                                 "\n" + line(zh("model.client.name.openClaw"), current) + "\n" +
                                 hermesLine(current) + "\n");
    EXPECT_EQ(filesWithTimes(env.home.path()), written);
    EXPECT_EQ(sentRequests(env), once);

    // A profile that carries a key is refused whole: exit 2, nothing touched.
    writeFile(profile, "{address: 'https://gw.example.com', models: ['m1'], api_key: 'sk-x'}");
    const auto before = filesWithTimes(env.home.path());
    const ProgramResult refused = corvane(env, apply);
    EXPECT_EQ(refused.exitStatus, 2);
    EXPECT_EQ(refused.output, "");
    EXPECT_EQ(refused.error.find("sk-x"), std::string::npos) << refused.error;
    EXPECT_NE(refused.error.find("\"api_key\""), std::string::npos) << refused.error;
    EXPECT_EQ(filesWithTimes(env.home.path()), before);
}

// The profile's values and the files' text and paths reach the terminal
// escaped, a dry run's diff too.
TEST(ProfileCommands, ShowsForeignTextEscaped) {
    WorkflowEnvironment env;
    install(env, "OpenClaw", "ai.openclaw.mac");
    env.installHermes();
    env.gateway.setScript({passingForEveryProtocol()});
    writeFile(env.home.path() / ".openclaw/openclaw.json",
              "{\n  // \x1b]0;owned\x07\x1b[31m\n  \"gateway\": {\"port\": 18789},\n}\n");
    const auto profile = env.home.path() / "team.json5";
    writeFile(profile,
              "{address: '" + env.gateway.address() + "/api', models: ['gpt\u202Eevil', 'm2']}");
    const ProgramResult preview = corvane(env,
                                          {"apply", "--profile", profile.string(), "--client",
                                           "openClaw", "--client", "hermes", "--dry-run"},
                                          true);
    EXPECT_EQ(preview.exitStatus, 0) << preview.output;
    const std::string hermes = zh("cli.profile.client-line",
                                  {{"client", "Hermes Desktop"},
                                   {"line", zh("workflow.profile.first-model-only",
                                               {{"status", zh("workflow.preview.changes-to-write")},
                                                {"client", "Hermes Desktop"},
                                                {"model", "gpt\\u202eevil"}})}});
    for (const std::string& shown : {hermes, std::string("   // \\x1b]0;owned\\x07\\x1b[31m")}) {
        EXPECT_NE(preview.output.find(shown + "\r\n"), std::string::npos) << preview.output;
    }
    EXPECT_EQ(displayableLines(preview.output), preview.output);

    // A broken file at a remembered path: its path is the failure's detail.
    const auto broken = env.home.path() / "\x1b[2J\u009b31m" / "openclaw.json";
    writeFile(broken, "{}");
    corvane(env, {"apply", "--client", "openClaw", "--address", env.gateway.address() + "/api",
                  "--model", "m1", "--config", broken.string(), "--no-restart"});
    writeFile(broken, "{\"gateway\": ,}");
    const ProgramResult failed =
        corvane(env, {"apply", "--profile", profile.string(), "--client", "openClaw"});
    EXPECT_NE(failed.error.find("\\x1b[2J\\u009b31m/openclaw.json"), std::string::npos)
        << failed.error;

    writeFile(profile, "{address: 'https://gw.example.com', models: ['m1'], '\u009b31mX': 1}");
    const std::string unknown =
        zh("workflow.profile.unknown-member", {{"name", "\"\\u009b31mX\""}}) + "\n";
    EXPECT_EQ(corvane(env, {"apply", "--profile", profile.string(), "--client", "hermes"}).error,
              unknown);
    EXPECT_EQ(corvane(env, {"export", "--profile", profile.string(), "--client", "Claude",
                            "--format", "json"})
                  .error,
              unknown);

    // The exported profile is for the system; a terminal gets it escaped.
    writeFile(profile, "{address: 'https://gw.example.com', models: ['claude-x\u202Eevil']}");
    const ProgramResult exported = corvane(
        env,
        {"export", "--profile", profile.string(), "--client", "Claude", "--format", "mobileconfig"},
        true);
    EXPECT_NE(exported.output.find("claude-x\\u202eevil"), std::string::npos) << exported.output;
    EXPECT_EQ(displayableLines(exported.output), exported.output);
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

// The plist read back by Python's plistlib, as JSON.
nlohmann::json readPlist(const std::string& text) {
    testing::ProgramRun run;
    run.program = "/usr/bin/python3";
    run.arguments = {"-c",
                     "import json, plistlib, sys\n"
                     "print(json.dumps(plistlib.loads(sys.stdin.buffer.read())))"};
    run.input = text;
    const ProgramResult result = testing::runProgram(run);
    EXPECT_EQ(result.exitStatus, 0) << result.error;
    return nlohmann::json::parse(result.output);
}

TEST(ProfileCommands, ExportsAConfigurationProfileWithStableIdentifiers) {
    testing::TempHome home;
    const auto profile = home.path() / "team.json5";
    writeFile(profile,
              "{address: 'https://gw.example.com/v1/', auth: 'x-api-key', models: ['gpt-5'],"
              " clients: {claude: {models: [{id: 'claude-sonnet-4-5', name: 'Sonnet'}, "
              "'claude-opus-4-1']}}}");
    const auto exportAs = [&](const std::string& format, std::optional<std::string> key = {}) {
        testing::ProgramRun run;
        run.program = CORVANE_CLI_PATH;
        run.arguments = {"export",   "--profile", profile.string(), "--client", "Claude",
                         "--format", format};
        if (key) {
            run.arguments.push_back("--key-stdin");
            run.input = *key + "\n";
        }
        return testing::runProgram(run);
    };

    const ProgramResult first = exportAs("mobileconfig");
    ASSERT_EQ(first.exitStatus, 0) << first.error;
    EXPECT_EQ(first.error, "");
    const nlohmann::json read = readPlist(first.output);
    EXPECT_EQ(read["PayloadType"], "Configuration");
    ASSERT_EQ(read["PayloadContent"].size(), 1u);
    const nlohmann::json payload = read["PayloadContent"][0];
    EXPECT_EQ(payload["PayloadType"], "com.anthropic.claudefordesktop");
    EXPECT_EQ(payload["inferenceProvider"], "gateway");
    EXPECT_EQ(payload["inferenceGatewayBaseUrl"], "https://gw.example.com");
    EXPECT_EQ(payload["inferenceGatewayAuthScheme"], "x-api-key");
    EXPECT_EQ(payload["inferenceModels"], "[\"claude-sonnet-4-5\",\"claude-opus-4-1\"]");
    EXPECT_FALSE(payload.contains("inferenceGatewayApiKey"));
    EXPECT_NE(payload["PayloadUUID"], read["PayloadUUID"]);
    EXPECT_EQ(exportAs("mobileconfig").output, first.output);

    // Another model list: new UUIDs, the same identifier, so it replaces the
    // deployed profile; the key changes neither.
    const ProgramResult withKey = exportAs("mobileconfig", "sk-managed-1");
    ASSERT_EQ(withKey.exitStatus, 0) << withKey.error;
    EXPECT_NE(withKey.error.find("API Key"), std::string::npos);
    const nlohmann::json keyed = readPlist(withKey.output);
    EXPECT_EQ(keyed["PayloadContent"][0]["inferenceGatewayApiKey"], "sk-managed-1");
    EXPECT_EQ(keyed["PayloadUUID"], read["PayloadUUID"]);
    writeFile(profile,
              "{address: 'https://gw.example.com', auth: 'x-api-key', "
              "models: ['claude-haiku-4-5']}");
    const nlohmann::json changed = readPlist(exportAs("mobileconfig").output);
    EXPECT_EQ(changed["PayloadIdentifier"], read["PayloadIdentifier"]);
    EXPECT_NE(changed["PayloadUUID"], read["PayloadUUID"]);

    const ProgramResult json = exportAs("json");
    ASSERT_EQ(json.exitStatus, 0) << json.error;
    EXPECT_EQ(nlohmann::json::parse(json.output)["inferenceModels"], "[\"claude-haiku-4-5\"]");

    // Claude desktop's own rule on model IDs applies to the exported list.
    writeFile(profile, "{address: 'https://gw.example.com', models: ['gpt-5']}");
    const ProgramResult refused = exportAs("json");
    EXPECT_EQ(refused.exitStatus, 2);
    EXPECT_EQ(refused.error, zh("workflow.profile.member-refused",
                                {{"client", "Claude"},
                                 {"member", "models[0]"},
                                 {"reason", zh("model.form.claude-model-id")}}) +
                                 "\n");
    EXPECT_EQ(refused.output, "");
}

TEST(ProfileCommands, LinkPrintsWhatItWouldFill) {
    testing::ProgramRun run;
    run.program = CORVANE_CLI_PATH;
    run.arguments = {"link",
                     "corvane-setup://configure?client=codex&address=https://gw.example.com"
                     "&model=gpt-5&name=GPT%205"};
    const ProgramResult filled = testing::runProgram(run);
    ASSERT_EQ(filled.exitStatus, 0) << filled.error;
    EXPECT_EQ(nlohmann::json::parse(filled.output),
              nlohmann::json::parse(R"({"client": "codex", "address": "https://gw.example.com",
                  "auth": "bearer", "models": [{"id": "gpt-5", "name": "GPT 5"}],
                  "host": "gw.example.com"})"));
    run.arguments = {"link", "corvane-setup://configure?client=codex&apikey=sk-link-secret"};
    const ProgramResult refused = testing::runProgram(run);
    EXPECT_EQ(refused.exitStatus, 2);
    EXPECT_EQ(refused.output, "");
    EXPECT_EQ(refused.error.find("sk-link-secret"), std::string::npos);
}

}  // namespace
}  // namespace corvane
