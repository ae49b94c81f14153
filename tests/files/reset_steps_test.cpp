#include "files/reset_steps.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "model/setup_error.h"
#include "support/catalogue_text.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempHome;
using testing::writeFile;

TEST(OriginalConfiguration, MissingOrEmptyBackupIsNothing) {
    TempHome home;
    const fs::path file = home.path() / "openclaw.json";
    EXPECT_EQ(originalConfiguration(file), std::nullopt);
    writeFile(recoveryBackupURL(file), "");
    EXPECT_EQ(originalConfiguration(file), std::nullopt);
    writeFile(recoveryBackupURL(file), "{\"a\":1}");
    EXPECT_EQ(originalConfiguration(file), std::optional<Bytes>("{\"a\":1}"));
    fs::remove(recoveryBackupURL(file));
    fs::create_directories(recoveryBackupURL(file) / "x");
    EXPECT_THROW(originalConfiguration(file), std::system_error);
}

TEST(FinishReset, WritesOrDeletesThenRemovesTheBackup) {
    struct Case {
        const char* name;
        std::optional<Bytes> data;
        bool backup;
    };
    const Case cases[] = {
        {"rewrite with backup", Bytes("restored"), true},
        {"rewrite without backup", Bytes("restored"), false},
        {"delete with backup", std::nullopt, true},
        {"delete without backup", std::nullopt, false},
    };
    for (const auto& c : cases) {
        TempHome home;
        const fs::path file = home.path() / "models.json";
        writeFile(file, "current");
        if (c.backup) writeFile(recoveryBackupURL(file), "earlier");
        finishReset(c.data, file, "current");
        EXPECT_EQ(configurationData(file), c.data) << c.name;
        if (c.data) {
            EXPECT_EQ(testing::permissions(file), 0600u) << c.name;
        }
        EXPECT_FALSE(fs::exists(recoveryBackupURL(file))) << c.name;
    }
}

TEST(FinishReset, RefusesWhenTheFileChangedAndTouchesNothing) {
    struct Case {
        const char* name;
        std::optional<Bytes> previous;
        std::optional<Bytes> onDisk;
    };
    const Case cases[] = {
        {"edited", Bytes("read"), Bytes("edited")},
        {"deleted", Bytes("read"), std::nullopt},
        {"created", std::nullopt, Bytes("new")},
    };
    for (const auto& c : cases) {
        for (const std::optional<Bytes>& data :
             {std::optional<Bytes>("reset"), std::optional<Bytes>()}) {
            TempHome home;
            const fs::path file = home.path() / "models.json";
            if (c.onDisk) writeFile(file, *c.onDisk);
            writeFile(recoveryBackupURL(file), "earlier");
            try {
                finishReset(data, file, c.previous);
                ADD_FAILURE() << c.name << ": no error";
            } catch (const SetupError& error) {
                EXPECT_EQ(error.text(), testing::zh("files.config.changed-under-us")) << c.name;
            }
            EXPECT_EQ(configurationData(file), c.onDisk) << c.name;
            EXPECT_EQ(readFile(recoveryBackupURL(file)), "earlier") << c.name;
        }
    }
}

TEST(FinishReset, BackupThatCannotBeDeletedIsThrownAfterTheReset) {
    TempHome home;
    const fs::path file = home.path() / "models.json";
    writeFile(file, "current");
    fs::create_directories(recoveryBackupURL(file) / "inner");
    EXPECT_THROW(finishReset(Bytes("restored"), file, "current"), std::system_error);
    EXPECT_EQ(readFile(file), "restored");
}

TEST(IsOwnedModel, OnlyStringsWithTheToolsPrefix) {
    using nlohmann::json;
    const json owned = "corvane-desktop/gpt";
    EXPECT_TRUE(isOwnedModel(&owned));
    for (const json& value :
         {json("corvane-desktop"), json("other/corvane-desktop/x"), json("Corvane-desktop/x"),
          json(1), json::object(), json::array({"corvane-desktop/x"}), json(nullptr)}) {
        EXPECT_FALSE(isOwnedModel(&value)) << value.dump();
    }
    EXPECT_FALSE(isOwnedModel(nullptr));
}

}  // namespace
}  // namespace corvane
