#include "files/key_redaction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/file_plan.h"

namespace corvane {
namespace {

// The dry run's diff hides the key by position first, whatever the key looks
// like, then wherever else it stands; the earlier key in removed lines too.
TEST(KeyRedaction, HidesEveryKeyInADryRunsDiff) {
    struct Case {
        const char* name;
        const char* file;
        std::string before;
        std::string after;
        std::string key;
        std::vector<std::string> lines;      // lines the diff must hold
        std::vector<std::string> forbidden;  // texts it must not hold
    };
    const std::string openClawBefore =
        "{\n  \"models\": {\n    \"apiKey\": \"old-secret-1\",\n    \"id\": \"gpt-4o\"\n  }\n}\n";
    const std::vector<Case> cases = {
        {"one-letter key",
         "openclaw.json",
         openClawBefore,
         "{\n  \"models\": {\n    \"apiKey\": \"e\",\n    \"id\": \"gpt-4o\"\n  }\n}\n",
         "e",
         {"-    \"apiKey\": \"<redacted>\",", "+    \"apiKey\": \"<redacted>\","},
         {"secret", "<r<", "<redacted>dacted"}},
        {"a quote as the key",
         "openclaw.json",
         openClawBefore,
         "{\n  \"models\": {\n    \"apiKey\": \"\\\"\",\n    \"id\": \"gpt-4o\"\n  }\n}\n",
         "\"",
         {"+    <redacted>apiKey<redacted>: <redacted><redacted><redacted>,"},
         {"secret", "\""}},
        {"key equal to a model ID",
         "openclaw.json",
         openClawBefore,
         "{\n  \"models\": {\n    \"apiKey\": \"gpt-4o\",\n    \"id\": \"gpt-4o\"\n  }\n}\n",
         "gpt-4o",
         {"+    \"apiKey\": \"<redacted>\",", "     \"id\": \"<redacted>\""},
         {"secret", "gpt-4o"}},
        {"a header in any letter case",
         "opencode.jsonc",
         "{ // mine\n  \"headers\": { \"X-Api-Key\": 'old-secret-4' },\n}\n",
         "{ // mine\n  \"headers\": { \"X-Api-Key\": 'k' },\n}\n",
         "k",
         {"-  \"headers\": { \"X-Api-Key\": '<redacted>' },"},
         {"secret"}},
        {"Codex's TOML",
         "config.toml",
         "[model_providers.corvane_desktop_setup]\nexperimental_bearer_token = "
         "\"old-secret-2\"\n",
         "[model_providers.corvane_desktop_setup]\nexperimental_bearer_token = \"e\"\n",
         "e",
         {"-experimental_bearer_token = \"<redacted>\"",
          "+experimental_bearer_token = \"<redacted>\""},
         {"secret"}},
        {"Hermes' YAML, a bare value with a hash",
         "config.yaml",
         "model:\n  api_key: old#secret,3}  # note\n  default: m\n",
         "model:\n  api_key: 'it''s'\n  default: m\n",
         "it's",
         {"-  api_key: <redacted>  # note", "+  api_key: '<redacted>'"},
         {"secret", "it's", "it''s"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FilePlan plan = {{FileChange::Kind::configuration, c.file, c.before, c.after}};
        const std::string diff = planDiff(plan, c.key);
        for (const std::string& line : c.lines) {
            EXPECT_NE(diff.find("\n" + line + "\n"), std::string::npos) << line << "\n" << diff;
        }
        for (const std::string& text : c.forbidden) {
            const std::string body = diff.substr(diff.find("@@"));
            EXPECT_EQ(body.find(text), std::string::npos) << text << "\n" << diff;
        }
        // Line for line: the text with its keys hidden keeps every line.
        EXPECT_EQ(std::count(c.after.begin(), c.after.end(), '\n'),
                  std::ranges::count(redactedSecrets(c.after, c.key), '\n'));
    }
}

}  // namespace
}  // namespace corvane
