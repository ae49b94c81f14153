#include "files/file_plan.h"

#include <gtest/gtest.h>

#include "support/temp_home.h"

namespace corvane {
namespace {

using testing::readFile;
using testing::TempHome;
using testing::writeFile;
namespace fs = std::filesystem;

// The second change fails (another program edited its file, or it cannot be
// written at all): the first file and its backup are back as they were.
TEST(FilePlan, AFailingChangePutsBackWhatTheRunWrote) {
    struct Case {
        const char* name;
        FileChange::Kind firstKind;
        std::function<void(const fs::path& second)> spoil;
    };
    const Case cases[] = {
        {"edited meanwhile", FileChange::Kind::configuration,
         [](const fs::path& second) { writeFile(second, "edited by the user"); }},
        {"folder is a file", FileChange::Kind::restoredConfiguration,
         [](const fs::path& second) { writeFile(second.parent_path(), "not a folder"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        const fs::path first = home.path() / "first.json";
        const fs::path second = home.path() / "sub/second.json";
        writeFile(first, "{ \"mine\": 1 }\n");
        if (c.firstKind == FileChange::Kind::restoredConfiguration) {
            writeFile(recoveryBackupURL(first), "{ \"earlier\": 0 }\n");
        }
        const FilePlan plan = {
            {c.firstKind, first, "{ \"mine\": 1 }\n", "{ \"tool\": 2 }\n"},
            {FileChange::Kind::configuration, second, std::nullopt, "{}\n"},
            {FileChange::Kind::ownFile, home.path() / "catalog.json", std::nullopt, "[]"},
        };
        c.spoil(second);
        EXPECT_ANY_THROW(commitPlan(plan));
        EXPECT_EQ(readFile(first), "{ \"mine\": 1 }\n");
        EXPECT_EQ(fs::exists(recoveryBackupURL(first)),
                  c.firstKind == FileChange::Kind::restoredConfiguration);
        if (c.firstKind == FileChange::Kind::restoredConfiguration) {
            EXPECT_EQ(readFile(recoveryBackupURL(first)), "{ \"earlier\": 0 }\n");
        }
        EXPECT_FALSE(fs::exists(home.path() / "catalog.json"));
    }
}

TEST(FilePlan, CommitsInOrderAndDiffsWithTheKeyRedacted) {
    TempHome home;
    const fs::path config = home.path() / "config.json";
    const fs::path catalog = home.path() / "catalog.json";
    writeFile(config, "{}\n");
    const std::string key = "sk-a/b\"c";
    const FilePlan plan = {
        {FileChange::Kind::configuration, config, "{}\n",
         "{\n  \"key\": \"sk-a/b\\\"c\",\n  \"escaped\": \"sk-a\\/b\\\"c\"\n}\n"},
        {FileChange::Kind::ownFile, catalog, std::nullopt, "raw sk-a/b\"c\n"},
    };
    const std::string diff = planDiff(plan, key);
    EXPECT_EQ(diff.find("sk-a"), std::string::npos) << diff;
    EXPECT_NE(diff.find("+  \"key\": \"<redacted>\","), std::string::npos) << diff;
    EXPECT_NE(diff.find("+raw <redacted>"), std::string::npos) << diff;

    commitPlan(plan);
    EXPECT_EQ(readFile(config), plan[0].content);
    EXPECT_EQ(readFile(recoveryBackupURL(config)), "{}\n");
    EXPECT_EQ(readFile(catalog), plan[1].content);
}

}  // namespace
}  // namespace corvane
