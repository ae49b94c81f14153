#include "clients/workbuddy/workbuddy_reset.h"

#include <gtest/gtest.h>

#include "clients/client_configuration_reset.h"
#include "model/setup_error.h"
#include "support/catalogue_text.h"
#include "support/client_file_test.h"
#include "support/gateway_samples.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using nlohmann::json;
using testing::parsedFile;
using testing::readFile;
using testing::writeFile;

class WorkBuddyReset : public testing::ClientFileTest {
protected:
    WorkBuddyReset() : ClientFileTest(".workbuddy/models.json") {}
};

const json kTool = {{"id", "corvane-workbuddy-1"}, {"name", "m"}};
const json kMine = {{"id", "mine"}, {"name", "m"}};

TEST_F(WorkBuddyReset, KeepsAnEmptyListOnlyWhenTheFileExistedBefore) {
    struct Case {
        std::optional<std::string> backup;
        std::optional<json> expected;  // nothing: the file is deleted
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt},
        {"", std::nullopt},
        {"[]", json::array()},
        {"[{\"id\": \"gone\"}]", json::array()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.backup.value_or("(no backup)"));
        writeFile(file(), json::array({kTool, kTool}).dump());
        std::filesystem::remove(backup());
        if (c.backup) writeFile(backup(), *c.backup);
        EXPECT_TRUE(resetWorkBuddy(file()));
        if (c.expected) {
            EXPECT_EQ(parsedFile(file()), *c.expected);
        } else {
            EXPECT_FALSE(std::filesystem::exists(file()));
        }
        EXPECT_FALSE(std::filesystem::exists(backup()));
    }
}

TEST_F(WorkBuddyReset, TakesOutOnlyTheToolsEntries) {
    const json other = {{"id", 7}, {"name", "corvane-workbuddy-2"}};
    writeFile(file(), json::array({kMine, kTool, other}).dump());
    EXPECT_TRUE(resetWorkBuddy(file()));
    EXPECT_EQ(parsedFile(file()), json::array({kMine, other}));
    const std::string untouched = readFile(file());
    EXPECT_FALSE(resetWorkBuddy(file()));
    EXPECT_EQ(readFile(file()), untouched);
}

TEST_F(WorkBuddyReset, LooksOnlyAtAFileNamedModelsJson) {
    for (const std::string name : {"Models.json", "models.json5", "other.json"}) {
        const std::filesystem::path path = home.path() / ".workbuddy" / name;
        writeFile(path, "not even json");
        EXPECT_FALSE(resetWorkBuddy(path)) << name;
        EXPECT_EQ(readFile(path), "not even json");
    }
    EXPECT_FALSE(resetWorkBuddy(file()));
}

TEST_F(WorkBuddyReset, RefusesAFileThatIsNotAList) {
    writeFile(file(), "{\"id\": \"corvane-workbuddy-1\"}");
    try {
        resetWorkBuddy(file());
        ADD_FAILURE() << "reset";
    } catch (const SetupError& error) {
        EXPECT_EQ(error.text(), testing::zh("clients.workbuddy.not-a-model-list"));
    }
}

TEST_F(WorkBuddyReset, ResetsTheChosenFile) {
    const std::filesystem::path chosen = home.path() / ".workbuddy-ai/models.json";
    writeFile(chosen, json::array({kMine}).dump());
    testing::sampleConfiguration(Client::workBuddy, "bearer", {ModelRow("m", "")},
                                 "~/.workbuddy-ai/models.json")
        .save({});
    EXPECT_TRUE(ClientConfigurationReset(Client::workBuddy, "~/.workbuddy-ai/models.json").run({}));
    EXPECT_EQ(parsedFile(chosen), json::array({kMine}));
}

}  // namespace
}  // namespace corvane
