#include "clients/claude/claude_files.h"

#include <gtest/gtest.h>

#include <functional>

#include "clients/claude/claude_activation.h"
#include "files/json_text.h"
#include "model/setup_error.h"
#include "support/catalogue_text.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using nlohmann::json;
using testing::readFile;
using testing::writeFile;

const std::string kId(kClaudeProfileIdentifier);
const std::string kMalformed = testing::zh("clients.claude.malformed");

GatewaySettings settings(const std::string& key = "sk-test-0123456789") {
    return GatewaySettings("https://gateway.example/api/v1", key, "bearer",
                           {ModelRow("claude-sonnet-4", "Sonnet"), ModelRow("claude-opus-4", "")},
                           Client::claude);
}

json readJson(const std::filesystem::path& path) { return json::parse(readFile(path)); }

void writeJson(const std::filesystem::path& path, const json& value) {
    writeFile(path, value.dump(4));
}

json toolEntry(const std::string& name = testing::zh("clients.provider-name")) {
    return {{"id", kId}, {"name", name}};
}

class ClaudeFilesTest : public ::testing::Test {
protected:
    testing::TempHome home;
    ClaudeFiles files{home.path() / "Library/Application Support/Claude-3p"};

    bool exists(const std::filesystem::path& path) const { return std::filesystem::exists(path); }
};

TEST_F(ClaudeFilesTest, FirstApplyOnAnEmptySystemAndItsReset) {
    files.apply(settings());

    EXPECT_EQ(testing::permissions(files.library()), 0700u);
    for (const auto& path : files.paths()) EXPECT_EQ(testing::permissions(path), 0600u) << path;
    EXPECT_EQ(readFile(files.recovery()), "{}");
    EXPECT_EQ(readFile(files.profile()), prettyJSON(settings().json()));
    EXPECT_EQ(readJson(files.meta()), json({{"appliedId", kId}, {"entries", {toolEntry()}}}));
    EXPECT_EQ(readJson(files.mode()), json({{"deploymentMode", "3p"}}));
    EXPECT_TRUE(files.hasCorvaneConfiguration());

    EXPECT_TRUE(files.reset());
    for (const auto& path : files.paths()) EXPECT_FALSE(exists(path)) << path;
    EXPECT_FALSE(files.hasCorvaneConfiguration());
    EXPECT_FALSE(files.reset());
}

// Claude's own files change only in the members the tool owns; a reset gives
// back the bytes it found: other keys, their order, indentation, no final
// newline.
TEST_F(ClaudeFilesTest, ClaudesOwnTextStaysAroundTheToolsMembers) {
    const std::string mode =
        "{\n    \"mcpServers\": {\n        \"fs\": {\"command\": \"npx\"}\n    },\n"
        "    \"deploymentMode\": \"1p\"\n}";
    const std::string meta =
        "{\"entries\": [{\"id\": \"x\", \"name\": \"Mine\"}], \"appliedId\": \"x\"}\n";
    writeFile(files.mode(), mode);
    writeFile(files.meta(), meta);

    files.apply(settings());
    std::string applied = mode;
    applied.replace(applied.find("1p"), 2, "3p");
    EXPECT_EQ(readFile(files.mode()), applied);
    EXPECT_TRUE(
        readFile(files.meta()).starts_with("{\"entries\": [{\"id\": \"x\", \"name\": \"Mine\"}, "))
        << readFile(files.meta());

    EXPECT_TRUE(files.reset());
    EXPECT_EQ(readFile(files.mode()), mode);
    EXPECT_EQ(readFile(files.meta()), meta);
}

// What Claude used before, what happened while the tool's profile was applied,
// and what a reset leaves.
struct ResetCase {
    const char* name;
    json meta;  // null: no file
    json mode;  // null: no file
    std::function<void(json& meta, json& mode)> meanwhile;
    json metaAfter;  // null: file removed
    json modeAfter;  // null: file removed
};

TEST_F(ClaudeFilesTest, ResetPutsBackTheEarlierChoiceByTheRecord) {
    const json mine = {{"id", "x"}, {"name", "Mine"}, {"extra", 1}};
    const json theirs = {{"id", "y"}, {"name", "Other"}};
    const auto nothing = [](json&, json&) {};
    const std::vector<ResetCase> cases = {
        {"earlier profile and mode come back",
         {{"appliedId", "x"}, {"entries", {mine}}, {"keep", true}},
         {{"deploymentMode", "1p"}, {"other", "kept"}},
         nothing,
         {{"appliedId", "x"}, {"entries", {mine}}, {"keep", true}},
         {{"deploymentMode", "1p"}, {"other", "kept"}}},
        {"an earlier gateway mode stays with its profile",
         {{"appliedId", "x"}, {"entries", {mine}}},
         {{"deploymentMode", "3p"}},
         nothing,
         {{"appliedId", "x"}, {"entries", {mine}}},
         {{"deploymentMode", "3p"}}},
        {"a vanished earlier profile takes its gateway mode with it",
         {{"appliedId", "x"}, {"entries", {mine}}},
         {{"deploymentMode", "3p"}, {"other", 1}},
         [](json& meta, json&) {
             meta["entries"].erase(0);
             meta["more"] = 1;
         },
         {{"entries", json::array()}, {"more", 1}},
         {{"other", 1}}},
        {"nothing recorded: both keys go",
         {{"entries", {theirs}}},
         {{"other", 1}},
         nothing,
         {{"entries", {theirs}}},
         {{"other", 1}}},
        {"the user's later profile choice stays",
         {{"appliedId", "x"}, {"entries", {mine, theirs}}},
         {{"deploymentMode", "1p"}},
         [](json& meta, json&) { meta["appliedId"] = "y"; },
         {{"appliedId", "y"}, {"entries", {mine, theirs}}},
         {{"deploymentMode", "3p"}}},
        {"the user's later mode stays",
         {{"appliedId", "x"}, {"entries", {mine}}},
         {{"deploymentMode", "3p"}},
         [](json&, json& mode) { mode["deploymentMode"] = "1p"; },
         {{"appliedId", "x"}, {"entries", {mine}}},
         {{"deploymentMode", "1p"}}},
        {"a mode that is not text stays",
         {{"appliedId", "x"}, {"entries", {mine}}},
         {{"deploymentMode", 3}},
         [](json&, json& mode) { mode["deploymentMode"] = 3; },
         {{"appliedId", "x"}, {"entries", {mine}}},
         {{"deploymentMode", 3}}},
    };
    for (const ResetCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempHome caseHome;
        const ClaudeFiles claude(caseHome.path() / "Claude-3p");
        if (!c.meta.is_null()) writeJson(claude.meta(), c.meta);
        if (!c.mode.is_null()) writeJson(claude.mode(), c.mode);
        claude.apply(settings());

        json meta = readJson(claude.meta());
        json mode = readJson(claude.mode());
        c.meanwhile(meta, mode);
        writeJson(claude.meta(), meta);
        writeJson(claude.mode(), mode);

        EXPECT_TRUE(claude.reset());
        if (c.metaAfter.is_null()) {
            EXPECT_FALSE(std::filesystem::exists(claude.meta()));
        } else {
            EXPECT_EQ(readJson(claude.meta()), c.metaAfter);
        }
        if (c.modeAfter.is_null()) {
            EXPECT_FALSE(std::filesystem::exists(claude.mode()));
        } else {
            EXPECT_EQ(readJson(claude.mode()), c.modeAfter);
        }
        EXPECT_FALSE(std::filesystem::exists(claude.profile()));
        EXPECT_FALSE(std::filesystem::exists(claude.recovery()));
    }
}

TEST_F(ClaudeFilesTest, ApplyingTwiceKeepsTheFirstRecord) {
    writeJson(files.meta(), {{"appliedId", "x"}, {"entries", {{{"id", "x"}}}}});
    writeJson(files.mode(), {{"deploymentMode", "1p"}});
    files.apply(settings("sk-first-key"));
    const std::string record = readFile(files.recovery());
    EXPECT_EQ(ClaudeActivation::decoded(record).appliedId, "x");
    EXPECT_EQ(ClaudeActivation::decoded(record).deploymentMode, "1p");

    // Claude sealed the key and the user renamed the profile and left gateway mode.
    writeJson(files.profile(), {{"inferenceGatewayApiKey", "__sealed__:abc"}});
    json meta = readJson(files.meta());
    meta["entries"][1]["name"] = "Renamed";
    writeJson(files.meta(), meta);
    writeJson(files.mode(), {{"deploymentMode", "1p"}});

    files.apply(settings("sk-second-key"));
    EXPECT_EQ(readFile(files.recovery()), record);
    EXPECT_EQ(readFile(files.profile()), prettyJSON(settings("sk-second-key").json()));
    EXPECT_EQ(readJson(files.meta()),
              json({{"appliedId", kId}, {"entries", {{{"id", "x"}}, toolEntry()}}}));
    EXPECT_EQ(readJson(files.mode()), json({{"deploymentMode", "3p"}}));

    EXPECT_TRUE(files.reset());
    EXPECT_EQ(readJson(files.meta()), json({{"appliedId", "x"}, {"entries", {{{"id", "x"}}}}}));
    EXPECT_EQ(readJson(files.mode()), json({{"deploymentMode", "1p"}}));
}

TEST_F(ClaudeFilesTest, DuplicateToolEntriesAreRenamedOnceAndRemovedTogether) {
    const json other = {{"id", "y"}, {"name", "Other"}};
    const json upper = {{"id", "1BE8C9C6-DA90-41E3-AEF8-49C1EE88640D"}, {"name", "Not ours"}};
    writeJson(files.meta(),
              {{"appliedId", "y"}, {"entries", {toolEntry("a"), other, toolEntry("b"), upper}}});
    files.apply(settings());
    EXPECT_EQ(readJson(files.meta())["entries"], json({toolEntry(), other, toolEntry("b"), upper}));

    EXPECT_TRUE(files.reset());
    EXPECT_EQ(readJson(files.meta()), json({{"appliedId", "y"}, {"entries", {other, upper}}}));
    EXPECT_FALSE(std::filesystem::exists(files.mode()));
}

TEST_F(ClaudeFilesTest, AnyTraceOfTheToolCountsAsItsConfiguration) {
    const std::vector<std::pair<const char*, std::function<void()>>> traces = {
        {"only the profile file", [&] { writeFile(files.profile(), "not even JSON"); }},
        {"only the applied identifier",
         [&] {
             writeJson(files.meta(), {{"appliedId", kId}});
         }},
        {"only an entry",
         [&] {
             writeJson(files.meta(), {{"entries", {toolEntry("x")}}});
         }},
    };
    for (const auto& [name, leave] : traces) {
        SCOPED_TRACE(name);
        leave();
        EXPECT_TRUE(files.hasCorvaneConfiguration());
        EXPECT_TRUE(files.reset());
        for (const auto& path : files.paths()) EXPECT_FALSE(exists(path)) << path;
    }
    writeJson(files.meta(), {{"appliedId", "y"}, {"entries", {{{"id", "y"}}}}});
    EXPECT_FALSE(files.hasCorvaneConfiguration());
}

TEST_F(ClaudeFilesTest, RestorePutsEveryFileBackByteForByte) {
    const std::string meta = "{ \"appliedId\" : \"x\",\n\t\"entries\": [ {\"id\":\"x\"} ] }";
    const std::string mode = "{\"deploymentMode\":\"1p\"}\n";
    writeFile(files.meta(), meta);
    writeFile(files.mode(), mode);
    const ClaudeSnapshot before = files.snapshot();
    EXPECT_EQ(before, ClaudeSnapshot({std::nullopt, meta, mode, std::nullopt}));

    files.apply(settings());
    const ClaudeSnapshot applied = files.snapshot();
    files.restore(before);
    EXPECT_EQ(files.snapshot(), before);
    EXPECT_FALSE(exists(files.profile()));
    EXPECT_FALSE(exists(files.recovery()));
    EXPECT_EQ(testing::permissions(files.meta()), 0600u);

    files.restore(applied);
    EXPECT_EQ(files.snapshot(), applied);

    // Claude may have removed its whole library meanwhile.
    std::filesystem::remove_all(files.library());
    files.restore(before);
    EXPECT_EQ(files.snapshot(), before);
    EXPECT_EQ(testing::permissions(files.library()), 0700u);
}

TEST_F(ClaudeFilesTest, ForeignShapesAreRefusedBeforeAnythingIsWritten) {
    struct Case {
        const char* name;
        std::function<std::filesystem::path(const ClaudeFiles&)> file;
        std::string content;
        bool formatError;  // else a JSON parse error
    };
    const auto meta = [](const ClaudeFiles& f) { return f.meta(); };
    const auto mode = [](const ClaudeFiles& f) { return f.mode(); };
    const std::vector<Case> cases = {
        {"meta is an array", meta, "[]", true},
        {"mode is a string", mode, "\"3p\"", true},
        {"entries is an object", meta, R"({"entries": {"id": "x"}})", true},
        {"entries holds a number", meta, R"({"entries": [{"id": "x"}, 1]})", true},
        {"entries is text", meta, R"({"entries": "x"})", true},
        {"meta has a comment", meta, "{\"appliedId\": \"x\" // mine\n}", false},
        {"mode has a trailing comma", mode, R"({"deploymentMode": "1p",})", false},
        {"meta is empty", meta, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempHome caseHome;
        const ClaudeFiles claude(caseHome.path() / "Claude-3p");
        writeFile(c.file(claude), c.content);
        const ClaudeSnapshot before = claude.snapshot();
        try {
            claude.apply(settings());
            ADD_FAILURE() << "applied";
        } catch (const SetupError& error) {
            EXPECT_TRUE(c.formatError);
            EXPECT_EQ(error.text(), kMalformed);
        } catch (const nlohmann::json::parse_error&) {
            EXPECT_FALSE(c.formatError);
        }
        EXPECT_EQ(claude.snapshot(), before);
        EXPECT_FALSE(claude.didClaudeSealKey());
    }
}

TEST(ClaudeFilesResetTest, WritesNothingWhenItCannotReadWhatItNeeds) {
    using Damage = std::function<void(const ClaudeFiles&)>;
    const std::vector<std::pair<const char*, Damage>> damages = {
        {"meta is not an object", [](const ClaudeFiles& f) { writeFile(f.meta(), "[1]"); }},
        {"entries is not a list of objects",
         [](const ClaudeFiles& f) {
             writeFile(f.meta(), R"({"appliedId": "x", "entries": [["x"]]})");
         }},
        {"the recovery record is not an object",
         [](const ClaudeFiles& f) { writeFile(f.recovery(), "[]"); }},
        {"the recovery record holds a number",
         [](const ClaudeFiles& f) { writeFile(f.recovery(), R"({"appliedId": 7})"); }},
        {"mode is not JSON",
         [](const ClaudeFiles& f) { writeFile(f.mode(), "deploymentMode=3p"); }},
    };
    for (const auto& [name, damage] : damages) {
        SCOPED_TRACE(name);
        testing::TempHome home;
        const ClaudeFiles claude(home.path() / "Claude-3p");
        claude.apply(settings());
        damage(claude);
        const ClaudeSnapshot before = claude.snapshot();
        EXPECT_ANY_THROW(claude.reset());
        EXPECT_EQ(claude.snapshot(), before);
    }
}

TEST_F(ClaudeFilesTest, NullEntriesAreAnEmptyList) {
    writeJson(files.meta(), {{"appliedId", nullptr}, {"entries", nullptr}});
    files.apply(settings());
    EXPECT_EQ(readFile(files.recovery()), "{}");
    EXPECT_EQ(readJson(files.meta())["entries"], json::array({toolEntry()}));
}

TEST_F(ClaudeFilesTest, TheKeyCountsAsSealedOnlyForTheAppliedToolProfile) {
    struct Case {
        const char* name;
        std::string profile;  // empty: no file
        json appliedId;
        bool sealed;
    };
    const std::vector<Case> cases = {
        {"sealed and applied", R"({"inferenceGatewayApiKey": "__sealed__:x"})", kId, true},
        {"only the prefix", R"({"inferenceGatewayApiKey": "__sealed__:"})", kId, true},
        {"plain key", R"({"inferenceGatewayApiKey": "sk-test"})", kId, false},
        {"prefix in another case", R"({"inferenceGatewayApiKey": "__SEALED__:x"})", kId, false},
        {"prefix not at the start", R"({"inferenceGatewayApiKey": "x__sealed__:"})", kId, false},
        {"key not text", R"({"inferenceGatewayApiKey": ["__sealed__:x"]})", kId, false},
        {"another profile applied", R"({"inferenceGatewayApiKey": "__sealed__:x"})", "y", false},
        {"nothing applied", R"({"inferenceGatewayApiKey": "__sealed__:x"})", nullptr, false},
        {"profile half written", R"({"inferenceGatewayApiKey": "__sealed__:x)", kId, false},
        {"no profile", "", kId, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempHome caseHome;
        const ClaudeFiles claude(caseHome.path() / "Claude-3p");
        if (!c.profile.empty()) writeFile(claude.profile(), c.profile);
        json meta = {{"entries", {toolEntry()}}};
        if (!c.appliedId.is_null()) meta["appliedId"] = c.appliedId;
        writeJson(claude.meta(), meta);
        EXPECT_EQ(claude.didClaudeSealKey(), c.sealed);
    }
    writeFile(files.profile(), R"({"inferenceGatewayApiKey": "__sealed__:x"})");
    writeFile(files.meta(), "[]");
    EXPECT_FALSE(files.didClaudeSealKey());
}

TEST(ClaudeActivationTest, LeavesOutWhatItDoesNotKnow) {
    EXPECT_EQ(ClaudeActivation{}.encoded(), "{}");
    EXPECT_EQ(ClaudeActivation({std::nullopt, "1p"}).encoded(), R"({"deploymentMode":"1p"})");
    const ClaudeActivation both =
        ClaudeActivation::decoded(ClaudeActivation{"a/b", "3p"}.encoded());
    EXPECT_EQ(both.appliedId, "a/b");
    EXPECT_EQ(both.deploymentMode, "3p");
    const ClaudeActivation none = ClaudeActivation::decoded(R"({"appliedId": null, "other": 1})");
    EXPECT_FALSE(none.appliedId);
    EXPECT_FALSE(none.deploymentMode);
}

}  // namespace
}  // namespace corvane
