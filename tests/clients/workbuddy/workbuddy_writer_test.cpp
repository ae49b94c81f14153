#include "clients/workbuddy/workbuddy_writer.h"

#include <gtest/gtest.h>

#include "model/setup_error.h"
#include "support/catalogue_text.h"
#include "support/client_file_test.h"
#include "support/gateway_samples.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using nlohmann::json;
using testing::kSampleKey;
using testing::parsedFile;
using testing::readFile;
using testing::sampleConfiguration;
using testing::writeFile;

// "corvane-workbuddy-" and a lower-case UUID.
bool isToolID(const std::string& id) {
    const std::string prefix = "corvane-workbuddy-";
    if (!id.starts_with(prefix) || id.size() != prefix.size() + 36) return false;
    for (std::size_t i = 0; i < 36; ++i) {
        const char c = id[prefix.size() + i];
        const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphen ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

class WorkBuddyWriter : public testing::ClientFileTest {
protected:
    WorkBuddyWriter() : ClientFileTest(".workbuddy/models.json") {}

    void save(const std::vector<ModelRow>& rows, const std::string& chosenPath = "") {
        sampleConfiguration(Client::workBuddy, "bearer", rows, chosenPath).save({});
    }

    static json foreign(const std::string& id) {
        return {{"id", id}, {"name", id}, {"vendor", "OpenRouter"}, {"apiKey", "sk-or-" + id}};
    }
};

TEST_F(WorkBuddyWriter, CreatesAMissingFileWithOneEntryPerModel) {
    save({ModelRow("qwen3", "Qwen"), ModelRow("glm", "")});
    json written = parsedFile(file());
    ASSERT_EQ(written.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        json entry = written[i];
        EXPECT_TRUE(isToolID(entry["id"].get<std::string>())) << entry["id"];
        entry.erase("id");
        EXPECT_EQ(entry, json({{"name", i == 0 ? "qwen3" : "glm"},
                               {"vendor", "Custom"},
                               {"url", "https://gw.example.com/api/v1/chat/completions"},
                               {"apiKey", kSampleKey},
                               {"supportsToolCall", true},
                               {"supportsImages", false},
                               {"supportsReasoning", false},
                               {"useCustomProtocol", false}}));
    }
    EXPECT_NE(written[0]["id"], written[1]["id"]);
    EXPECT_EQ(readFile(home.path() / ".workbuddy/.models.json.corvane-backup"), "");
}

TEST_F(WorkBuddyWriter, KeepsIdsByModelNameAndPutsForeignEntriesFirst) {
    writeFile(file(), json::array({foreign("first")}).dump());
    save({ModelRow("a", ""), ModelRow("b", "")});
    json entries = parsedFile(file());
    const json idOfA = entries[1]["id"];
    const json idOfB = entries[2]["id"];
    // The user adds entries around the tool's.
    entries.insert(entries.begin() + 2, foreign("between"));
    entries.push_back(foreign("last"));
    writeFile(file(), entries.dump());

    save({ModelRow("b", ""), ModelRow("c", ""), ModelRow("a", "")});
    json written = parsedFile(file());
    ASSERT_EQ(written.size(), 6u);
    EXPECT_EQ(written[0], foreign("first"));
    EXPECT_EQ(written[1], foreign("between"));
    EXPECT_EQ(written[2], foreign("last"));
    EXPECT_EQ(written[3]["id"], idOfB);
    EXPECT_EQ(written[3]["name"], "b");
    EXPECT_NE(written[4]["id"], idOfA);
    EXPECT_NE(written[4]["id"], idOfB);
    EXPECT_EQ(written[4]["name"], "c");
    EXPECT_EQ(written[5]["id"], idOfA);

    save({ModelRow("renamed", "")});
    json last = parsedFile(file());
    ASSERT_EQ(last.size(), 4u);
    EXPECT_EQ(last[3]["name"], "renamed");
    for (const json& earlier : {idOfA, idOfB}) EXPECT_NE(last[3]["id"], earlier);
}

TEST_F(WorkBuddyWriter, CarriesNothingElseOfAnOldToolEntry) {
    writeFile(file(), R"([{"id": "corvane-workbuddy-kept", "name": "a", "apiKey": "old",
                            "supportsImages": true, "note": "x"}])");
    save({ModelRow("a", "")});
    json written = parsedFile(file());
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0]["id"], "corvane-workbuddy-kept");
    EXPECT_EQ(written[0]["apiKey"], kSampleKey);
    EXPECT_EQ(written[0]["supportsImages"], false);
    EXPECT_FALSE(written[0].contains("note"));
}

TEST_F(WorkBuddyWriter, RefusesAnythingButAListOfObjects) {
    const std::pair<std::string, bool> cases[] = {
        {"[]", true},
        {"[{}, {\"id\": 1}]", true},
        {"// list\n[{},]", true},
        {"[{}, \"x\"]", false},
        {"[1]", false},
        {"{}", false},
        {"{\"models\": []}", false},
        {"null", false},
    };
    for (const auto& [content, accepted] : cases) {
        SCOPED_TRACE(content);
        writeFile(file(), content);
        std::filesystem::remove(home.path() / ".workbuddy/.models.json.corvane-backup");
        try {
            save({ModelRow("m", "")});
            EXPECT_TRUE(accepted);
        } catch (const SetupError& error) {
            EXPECT_FALSE(accepted);
            EXPECT_EQ(error.text(), testing::zh("clients.workbuddy.not-a-model-list"));
            EXPECT_EQ(readFile(file()), content);
        }
    }
    EXPECT_TRUE(workBuddyModels(std::optional<Bytes>()).empty());
}

TEST_F(WorkBuddyWriter, WritesOnlyAFileNamedExactlyModelsJson) {
    for (const std::string path : {"~/wb/Models.json", "~/wb/models.json.bak", "~/wb/"}) {
        SCOPED_TRACE(path);
        try {
            save({ModelRow("m", "")}, path);
            ADD_FAILURE() << "saved";
        } catch (const SetupError& error) {
            EXPECT_EQ(error.text(), testing::zh("clients.workbuddy.choose-models-file"));
        }
        EXPECT_FALSE(std::filesystem::exists(home.path() / "wb"));
    }
    save({ModelRow("m", "")}, " ~/wb/models.json ");
    EXPECT_EQ(parsedFile(home.path() / "wb/models.json").size(), 1u);
}

TEST(WorkBuddyOwnership, RecognisesOnlyAStringIdWithTheToolsPrefix) {
    const std::pair<json, bool> cases[] = {
        {{{"id", "corvane-workbuddy-1"}}, true},
        {{{"id", "corvane-workbuddy-"}}, true},
        {{{"id", "Corvane-workbuddy-1"}}, false},
        {{{"id", "x-corvane-workbuddy-1"}}, false},
        {{{"id", 1}}, false},
        {{{"id", {"corvane-workbuddy-1"}}}, false},
        {{{"name", "corvane-workbuddy-1"}}, false},
    };
    for (const auto& [entry, owned] : cases)
        EXPECT_EQ(isOwnedWorkBuddyModel(entry), owned) << entry;
}

}  // namespace
}  // namespace corvane
