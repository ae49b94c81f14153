#include "files/config_files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>

#include "files/json5.h"
#include "files/reset_steps.h"
#include "model/setup_error.h"
#include "model/uuid.h"
#include "support/catalogue_text.h"
#include "support/setup_error_text.h"
#include "support/stray_temporaries.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using testing::setupErrorText;
using testing::thrownSetupError;
namespace fs = std::filesystem;
using testing::permissions;
using testing::readFile;
using testing::strayTemporaries;
using testing::TempHome;
using testing::writeFile;

const std::string kChanged = testing::zh("files.config.changed-under-us");
const std::string kCannotCreate = testing::zh("files.config.cannot-write-folder");
const std::string kCannotRename = testing::zh("files.config.cannot-apply");

TEST(LocalClientConfigURL, TrimsExpandsTildeAndFallsBackToTheDefault) {
    TempHome home;
    const fs::path h = home.path();
    struct Case {
        Client client;
        std::string chosen;
        fs::path expected;
    };
    const Case cases[] = {
        {Client::workBuddy, "  ~/x/models.json\n", h / "x/models.json"},
        {Client::openClaw, "", h / ".openclaw/openclaw.json"},
        {Client::openClaw, " \t\n", h / ".openclaw/openclaw.json"},
        {Client::hermes, "\u3000", h / ".hermes/config.yaml"},
        {Client::openClaw, "/etc/openclaw.json ", "/etc/openclaw.json"},
        {Client::openClaw, "~", h},
        {Client::openClaw, "a~/b", "a~/b"},
        {Client::codex, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(localClientConfigURL(c.client, c.chosen), c.expected) << "chosen: " << c.chosen;
    }
}

TEST(ConfigurationData, MissingIsNothingEmptyIsEmptyOtherErrorsThrow) {
    TempHome home;
    const fs::path file = home.path() / "config.json";
    EXPECT_EQ(configurationData(file), std::nullopt);
    EXPECT_EQ(configurationData(home.path() / "missing/folder/config.json"), std::nullopt);
    writeFile(file, "");
    EXPECT_EQ(configurationData(file), std::optional<Bytes>(""));
    const std::string binary("a\0b\xff", 4);
    writeFile(file, binary);
    EXPECT_EQ(configurationData(file), std::optional<Bytes>(binary));
    EXPECT_THROW(configurationData(home.path()), std::system_error);
    // A path through a regular file is an error, not a missing file.
    EXPECT_THROW(configurationData(file / "inner.json"), std::system_error);
}

TEST(ConfigurationData, UnreadableFilesThrowAndNeverHang) {
    TempHome home;
    const fs::path pipe = home.path() / "pipe.json";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_THROW(configurationData(pipe), std::system_error);
    EXPECT_THROW(configurationData("/dev/zero"), std::system_error);
    // Mode 000 stops everyone but root; root cannot read /proc/self/mem at 0.
    fs::path unreadable = "/proc/self/mem";
    if (geteuid() != 0) {
        unreadable = home.path() / "config.json";
        writeFile(unreadable, "{}");
        fs::permissions(unreadable, fs::perms::none);
    }
    EXPECT_THROW(configurationData(unreadable), std::system_error);
}

TEST(ConfigurationData, RefusesFilesOverSixtyFourMebibytesUnread) {
    TempHome home;
    const fs::path file = home.path() / "config.json";
    writeFile(file, "");
    fs::resize_file(file, (std::uintmax_t{64} << 20) + 1);
    EXPECT_EQ(setupErrorText([&] { configurationData(file); }),
              testing::zh("files.config.too-large"));
}

TEST(RecoveryBackupURL, IsHiddenBesideTheFile) {
    EXPECT_EQ(recoveryBackupURL("/a/b/opencode.json"),
              fs::path("/a/b/.opencode.json.corvane-backup"));
    EXPECT_EQ(recoveryBackupURL("/a/.hidden"), fs::path("/a/..hidden.corvane-backup"));
}

TEST(ReplaceConfiguration, FirstSaveCreatesPrivateFoldersEmptyBackupAndFile) {
    TempHome home;
    const fs::path file = home.path() / "one/two/models.json";
    replaceConfiguration("new", file, std::nullopt);
    EXPECT_EQ(readFile(file), "new");
    EXPECT_EQ(permissions(file), 0600u);
    EXPECT_EQ(permissions(home.path() / "one"), 0700u);
    EXPECT_EQ(permissions(home.path() / "one/two"), 0700u);
    const fs::path backup = home.path() / "one/two/.models.json.corvane-backup";
    EXPECT_EQ(readFile(backup), "");
    EXPECT_EQ(permissions(backup), 0600u);
    EXPECT_TRUE(strayTemporaries(file.parent_path()).empty());
}

TEST(ReplaceConfiguration, ModesDoNotDependOnTheUmask) {
    TempHome home;
    for (mode_t mask : {mode_t{0}, mode_t{0277}}) {
        const mode_t previous = ::umask(mask);
        const fs::path file = home.path() / ("m" + std::to_string(mask)) / "f.json";
        replaceConfiguration("x", file, std::nullopt);
        ::umask(previous);
        EXPECT_EQ(permissions(file.parent_path()), 0700u) << mask;
        EXPECT_EQ(permissions(file), 0600u) << mask;
        EXPECT_EQ(permissions(recoveryBackupURL(file)), 0600u) << mask;
    }
}

TEST(ReplaceConfiguration, ExistingFolderKeepsItsMode) {
    TempHome home;
    const fs::path folder = home.path() / "shared";
    fs::create_directory(folder);
    fs::permissions(folder, static_cast<fs::perms>(0755));
    replaceConfiguration("x", folder / "f.json", std::nullopt);
    EXPECT_EQ(permissions(folder), 0755u);
}

TEST(ReplaceConfiguration, BackupIsTakenOnceUnlessTheFileHoldsNothingOfTheTools) {
    TempHome home;
    const fs::path file = home.path() / "openclaw.json";
    writeFile(file, "original");
    fs::permissions(file, static_cast<fs::perms>(0644));
    replaceConfiguration("first", file, "original");
    replaceConfiguration("second", file, "first");
    EXPECT_EQ(readFile(file), "second");
    EXPECT_EQ(permissions(file), 0600u);
    EXPECT_EQ(readFile(recoveryBackupURL(file)), "original");

    // A file that holds nothing of the tool's any more takes a new backup; a
    // renewing save that fails leaves the earlier one as it was.
    writeFile(file, "mine");
    replaceConfiguration("third", file, "mine", RecoveryBackup::renew);
    EXPECT_EQ(readFile(recoveryBackupURL(file)), "mine");
    const fs::path outside = home.path().string() + "-outside.json";
    writeFile(outside, "{}");
    const fs::path refused = home.path() / "outside.json";
    fs::create_symlink(outside, refused);
    writeFile(recoveryBackupURL(refused), "earlier");
    EXPECT_EQ(
        setupErrorText([&] { replaceConfiguration("new", refused, "{}", RecoveryBackup::renew); }),
        kCannotRename);
    EXPECT_EQ(readFile(recoveryBackupURL(refused)), "earlier");
    EXPECT_EQ(readFile(outside), "{}");
    fs::remove(outside);
}

TEST(ReplaceConfiguration, RefusesWhenTheFileChangedSinceItWasRead) {
    struct Case {
        const char* name;
        std::optional<Bytes> holding;
        std::optional<Bytes> nowOnDisk;
    };
    const Case cases[] = {
        {"edited", Bytes("{\"a\":1}"), Bytes("{\"a\":2}")},
        {"created", std::nullopt, Bytes("{}")},
        {"deleted", Bytes("{}"), std::nullopt},
        {"emptied", Bytes("{}"), Bytes("")},
        {"appeared empty", std::nullopt, Bytes("")},
    };
    for (const auto& c : cases) {
        TempHome home;
        const fs::path file = home.path() / "c/config.json";
        fs::create_directories(file.parent_path());
        if (c.nowOnDisk) writeFile(file, *c.nowOnDisk);
        const fs::path backup = recoveryBackupURL(file);
        // One case with a backup already present, to see that it stays as it was.
        if (!c.holding) writeFile(backup, "earlier backup");
        EXPECT_EQ(setupErrorText([&] { replaceConfiguration("mine", file, c.holding); }), kChanged)
            << c.name;
        EXPECT_EQ(configurationData(file), c.nowOnDisk) << c.name;
        EXPECT_EQ(configurationData(backup),
                  c.holding ? std::nullopt : std::optional<Bytes>("earlier backup"))
            << c.name;
        EXPECT_TRUE(strayTemporaries(file.parent_path()).empty()) << c.name;
    }
}

TEST(ReplaceConfiguration, WritesThroughSymbolicLinksThatStayInTheHome) {
    TempHome home;
    const fs::path real = home.path() / "dotfiles/real.json";
    const fs::path link = home.path() / "app/config.json";
    writeFile(real, "{}");
    fs::permissions(real, static_cast<fs::perms>(0644));
    fs::create_directories(link.parent_path());
    fs::create_symlink(real, link);
    replaceConfiguration("new", link, "{}");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(real), "new");
    EXPECT_EQ(permissions(real), 0600u);
    EXPECT_EQ(readFile(recoveryBackupURL(link)), "{}");
    EXPECT_FALSE(fs::exists(recoveryBackupURL(real)));
    finishReset("{}", link, "new");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(real), "{}");
    EXPECT_FALSE(fs::exists(recoveryBackupURL(link)));
    EXPECT_TRUE(strayTemporaries(real.parent_path()).empty());
    finishReset(std::nullopt, link, "{}");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(real), "");

    const fs::path outside = home.path().string() + "-outside.json";
    writeFile(outside, "{}");
    fs::create_symlink(outside, home.path() / "app/outside.json");
    fs::create_symlink(home.path() / "missing.json", home.path() / "app/dangling.json");
    for (const char* name : {"outside.json", "dangling.json"}) {
        const fs::path refused = home.path() / "app" / name;
        const auto [text, detail] = thrownSetupError(
            [&] { replaceConfiguration("new", refused, configurationData(refused)); });
        EXPECT_EQ(text, kCannotRename);
        EXPECT_NE(detail.find("~/app/" + std::string(name)), std::string::npos) << detail;
        EXPECT_TRUE(fs::is_symlink(refused)) << name;
        EXPECT_FALSE(fs::exists(recoveryBackupURL(refused))) << name;
    }
    EXPECT_EQ(readFile(outside), "{}");
    EXPECT_FALSE(fs::exists(home.path() / "missing.json"));
    fs::remove(outside);
}

TEST(WritePrivateFile, KeepsTheOwnerOfAnotherUsersFile) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    TempHome home;
    const fs::path file = home.path() / "config.json";
    writeFile(file, "{}");
    ASSERT_EQ(::chown(file.c_str(), 12345, 12346), 0);
    replaceConfiguration("new", file, "{}");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 12345u);
    EXPECT_EQ(info.st_gid, 12346u);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(readFile(file), "new");
}

TEST(WritePrivateFile, RemovesTemporariesThatAKilledRunLeftBehind) {
    TempHome home;
    const fs::path stale = home.path() / (".corvane-" + randomUUID());
    const fs::path running = home.path() / (".corvane-" + randomUUID());
    const fs::path backup = home.path() / ".other.json.corvane-backup";
    for (const fs::path& file : {stale, running, backup}) writeFile(file, "x");
    const auto twoMinutesAgo = fs::file_time_type::clock::now() - std::chrono::minutes(2);
    fs::last_write_time(stale, twoMinutesAgo);
    fs::last_write_time(backup, twoMinutesAgo);
    writePrivateFile("new", home.path() / "config.json");
    EXPECT_EQ(strayTemporaries(home.path()), std::vector{running.filename().string()});
    EXPECT_TRUE(fs::exists(backup));
}

TEST(ReplaceConfiguration, FolderThatCannotBeCreatedIsAFileSystemError) {
    TempHome home;
    writeFile(home.path() / "blocker", "not a folder");
    const fs::path file = home.path() / "blocker/sub/config.json";
    EXPECT_THROW(replaceConfiguration("x", file, std::nullopt), std::system_error);
    EXPECT_EQ(readFile(home.path() / "blocker"), "not a folder");
}

TEST(ReplaceConfiguration, UnreadableCurrentFileWritesNothing) {
    TempHome home;
    const fs::path file = home.path() / "config.json";
    fs::create_directories(file / "inside");
    EXPECT_THROW(replaceConfiguration("x", file, std::nullopt), std::system_error);
    EXPECT_FALSE(fs::exists(recoveryBackupURL(file)));
    EXPECT_TRUE(strayTemporaries(home.path()).empty());
}

// A file the user made read-only stays so: neither an apply nor a reset
// writes it, removes it or takes a backup.
TEST(ReplaceConfiguration, ReadOnlyFileIsRefusedAndKeepsItsMode) {
    const std::function<void(const fs::path&)> writes[] = {
        [](const fs::path& file) { replaceConfiguration("new", file, "mine"); },
        [](const fs::path& file) { finishReset("earlier", file, "mine"); },
        [](const fs::path& file) { finishReset(std::nullopt, file, "mine"); },
    };
    for (const auto& write : writes) {
        TempHome home;
        const fs::path file = home.path() / "config.json";
        writeFile(file, "mine");
        fs::permissions(file, static_cast<fs::perms>(0444));
        const auto refusal = thrownSetupError([&] { write(file); });
        EXPECT_EQ(refusal.text, testing::zh("files.config.read-only"));
        EXPECT_EQ(refusal.detail, testing::zh("files.config.read-only-detail",
                                              {{"file", "~/config.json"}, {"mode", "0444"}}));
        EXPECT_EQ(readFile(file), "mine");
        EXPECT_EQ(permissions(file), 0444u);
        EXPECT_FALSE(fs::exists(recoveryBackupURL(file)));
    }
}

// A folder in which no file can be created, also for root: /proc/self refuses
// new files to everyone. Other users get a read-only folder of their own.
fs::path unwritableFolder(const TempHome& home) {
    if (geteuid() != 0) {
        const fs::path folder = home.path() / "locked";
        fs::create_directory(folder);
        fs::permissions(folder, static_cast<fs::perms>(0500));
        return folder;
    }
    return "/proc/self";
}

TEST(ReplaceConfiguration, UnwritableFolderIsReportedAndNothingIsWritten) {
    TempHome home;
    const fs::path folder = unwritableFolder(home);
    const fs::path file = folder / "corvane-test-config.json";
    EXPECT_EQ(setupErrorText([&] { replaceConfiguration("x", file, std::nullopt); }),
              kCannotCreate);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(fs::exists(recoveryBackupURL(file)));
}

TEST(WritePrivateFile, CannotCreateTheTemporaryFile) {
    TempHome home;
    writeFile(home.path() / "plain", "x");
    for (const fs::path& target :
         {home.path() / "missing/config.json", home.path() / "plain/config.json"}) {
        EXPECT_EQ(setupErrorText([&] { writePrivateFile("x", target); }), kCannotCreate) << target;
    }
    EXPECT_EQ(readFile(home.path() / "plain"), "x");
}

TEST(WritePrivateFile, FailedRenameLeavesTargetAndNoTemporary) {
    TempHome home;
    const fs::path target = home.path() / "config.json";
    writeFile(target / "keep", "kept");
    EXPECT_EQ(setupErrorText([&] { writePrivateFile("x", target); }), kCannotRename);
    EXPECT_EQ(readFile(target / "keep"), "kept");
    EXPECT_TRUE(strayTemporaries(home.path()).empty());
}

// A file-size limit makes write() fail with EFBIG, for root as well. Run in a
// child process so that the limit ends with it.
void failWritesBeyond(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(3);
}

TEST(WritePrivateFileDeathTest, WriteFailureIsAnErrorAndLeavesNoTemporary) {
    TempHome home;
    const fs::path target = home.path() / "config.json";
    writeFile(target, "old");
    EXPECT_EXIT(
        {
            failWritesBeyond(4096);
            try {
                writePrivateFile(std::string(100000, 'x'), target);
            } catch (const SetupError&) {
                _exit(2);
            } catch (const std::system_error&) {
                _exit(readFile(target) == "old" && strayTemporaries(home.path()).empty() ? 0 : 4);
            }
            _exit(1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(ReplaceConfigurationDeathTest, FailedBackupLeavesTheFileUntouched) {
    TempHome home;
    const fs::path target = home.path() / "config.json";
    const std::string original(100000, 'o');
    writeFile(target, original);
    EXPECT_EXIT(
        {
            failWritesBeyond(4096);
            try {
                replaceConfiguration("small", target, original);
            } catch (const std::system_error&) {
                const bool untouched = readFile(target) == original &&
                                       !fs::exists(recoveryBackupURL(target)) &&
                                       strayTemporaries(home.path()).empty();
                _exit(untouched ? 0 : 4);
            }
            _exit(1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(JsonObject, ReadsJson5ObjectsAndRefusesOtherTopLevels) {
    EXPECT_EQ(jsonObject(std::nullopt), nlohmann::json::object());
    EXPECT_EQ(jsonObject("{a: 1, // note\n 'b': [2,],}"),
              nlohmann::json::parse(R"({"a":1,"b":[2]})"));
    for (const char* text : {"[]", "1", "\"text\"", "null"}) {
        EXPECT_EQ(setupErrorText([&] { jsonObject(std::optional<Bytes>(text)); }),
                  testing::zh("files.config.not-an-object"))
            << text;
    }
    EXPECT_THROW(jsonObject(std::optional<Bytes>("")), Json5ParseError);
    EXPECT_THROW(jsonObject(std::optional<Bytes>("{a:}")), Json5ParseError);
}

TEST(SaveJSON, WritesStrictSortedPrettyJsonWithPlainSlashes) {
    TempHome home;
    const fs::path file = home.path() / "opencode.jsonc";
    const std::string original =
        "// mine\n{ zeta: 'https://a.example/v1', /* c */ alpha: [1, 2,], }\n";
    writeFile(file, original);
    const std::optional<Bytes> holding = configurationData(file);
    saveJSON(jsonObject(holding), file, holding);
    const std::string written = readFile(file);
    EXPECT_EQ(written,
              "{\n  \"alpha\": [\n    1,\n    2\n  ],\n  \"zeta\": \"https://a.example/v1\"\n}");
    EXPECT_EQ(readFile(recoveryBackupURL(file)), original);
}

TEST(RemoveFileIfPresent, MissingIsFineOtherFailuresThrow) {
    TempHome home;
    const fs::path file = home.path() / "f";
    writeFile(file, "x");
    removeFileIfPresent(file);
    EXPECT_FALSE(fs::exists(file));
    removeFileIfPresent(file);
    fs::create_directories(home.path() / "folder/inner");
    EXPECT_THROW(removeFileIfPresent(home.path() / "folder"), std::system_error);
}

TEST(DefaultPath, WorkBuddyDefaultPathFollowsTheFilesPresentAtEachCall) {
    TempHome home;
    const auto first = home.path() / ".workbuddy/models.json";
    const auto second = home.path() / ".workbuddy-ai/models.json";
    EXPECT_EQ(defaultPath(Client::workBuddy), "~/.workbuddy/models.json");
    writeFile(second, "[]");
    EXPECT_EQ(defaultPath(Client::workBuddy), "~/.workbuddy-ai/models.json");
    writeFile(first, "[]");
    EXPECT_EQ(defaultPath(Client::workBuddy), "~/.workbuddy/models.json");

    EXPECT_EQ(defaultPath(Client::openClaw), "~/.openclaw/openclaw.json");
    EXPECT_EQ(defaultPath(Client::hermes), "~/.hermes/config.yaml");
    for (Client client : {Client::claude, Client::codex, Client::openCode, Client::cursor}) {
        EXPECT_FALSE(defaultPath(client).has_value());
    }
}

}  // namespace
}  // namespace corvane
