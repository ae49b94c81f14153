#include "defaults/user_defaults.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "defaults/ini_settings.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using testing::permissions;
using testing::readFile;
using testing::TempHome;
using testing::writeFile;

// Edits touch only the key's own line and keep everything else as written.
TEST(IniSettings, EditsInPlace) {
    struct Case {
        const char* name;
        std::string before;
        std::optional<std::string> value;
        std::string after;
    };
    const Case cases[] = {
        {"new file", "", "v", "[General]\nk=v\n"},
        {"added last in the root group", "[General]\nother=1\n\n[Group]\nk=2\n", "v",
         "[General]\nother=1\nk=v\n\n[Group]\nk=2\n"},
        {"root group made before others", "; mine\n[Group]\nk=2", "v",
         "[General]\nk=v\n\n; mine\n[Group]\nk=2\n"},
        {"replaced where it stands", "[General]\r\nk = old\r\nother=1\r\n", "v",
         "[General]\r\nk=v\nother=1\r\n"},
        {"a key given twice leaves one line", "[General]\nk=a\nk=b\n", "v", "[General]\nk=v\n"},
        {"removed", "[General]\nk=old\nother=1\n", std::nullopt, "[General]\nother=1\n"},
        {"removing nothing", "[Group]\nk=2\n", std::nullopt, "[Group]\nk=2\n"},
        {"quoted when Qt quotes", "", " a;b ", "[General]\nk=\" a;b \"\n"},
    };
    for (const Case& c : cases) {
        const std::string after = withIniValue(c.before, "k", c.value);
        EXPECT_EQ(after, c.after) << c.name;
        EXPECT_EQ(iniValue(after, "k"), c.value) << c.name;
    }
    EXPECT_EQ(iniValue("[Group]\nk=2\n", "k"), std::nullopt);
    EXPECT_EQ(iniValue("[General]\nk=a, b\n", "k"), std::nullopt) << "a list is not a string";
    EXPECT_EQ(iniValue("[General]\nk=@Invalid()\n", "k"), std::nullopt);
    EXPECT_EQ(iniValue("[General]\nk= plain ; comment\n", "k"), "plain");
}

TEST(UserDefaults, KeepsPathsInAPrivateSettingsFile) {
    TempHome home;
    home.setEnvironment("XDG_CONFIG_HOME", "relative");  // ignored, as Qt does
    const std::string key = "corvane.configuration-path.OpenClaw（小龙虾）";
    UserDefaults defaults;
    EXPECT_EQ(defaults.value(key), std::nullopt);
    defaults.setValue(key, "/home/u/配置/a b.json");
    const std::filesystem::path file = home.path() / ".config/Corvane/Corvane Setup.conf";
    EXPECT_EQ(userDefaultsFile(), file);
    EXPECT_EQ(readFile(file),
              "[General]\ncorvane.configuration-path.OpenClaw%UFF08%U5C0F%U9F99%U867E%"
              "UFF09=/home/u/配置/a b.json\n");
    EXPECT_EQ(permissions(file), 0600u);
    EXPECT_EQ(permissions(file.parent_path()), 0700u);
    EXPECT_EQ(UserDefaults().value(key), "/home/u/配置/a b.json");
    defaults.remove(key);
    EXPECT_EQ(defaults.value(key), std::nullopt);

    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    EXPECT_EQ(defaults.value(key), std::nullopt);
    EXPECT_NO_THROW(defaults.setValue(key, "x")) << "a convenience never fails a workflow";
}

// Two runs that remember paths at the same moment keep both: each
// read-modify-write of the settings file waits for the other.
TEST(UserDefaults, TwoProcessesAtOnceKeepEveryPath) {
    TempHome home;
    constexpr int kKeysPerProcess = 40;
    std::vector<pid_t> children;
    for (const std::string client : {"a", "b"}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            UserDefaults defaults;
            for (int i = 0; i < kKeysPerProcess; ++i) {
                defaults.setValue(client + std::to_string(i), "/p");
            }
            ::_exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    int kept = 0;
    for (const std::string client : {"a", "b"}) {
        for (int i = 0; i < kKeysPerProcess; ++i) {
            kept += UserDefaults().value(client + std::to_string(i)) == "/p" ? 1 : 0;
        }
    }
    EXPECT_EQ(kept, 2 * kKeysPerProcess);
}

// A holder that never lets go (a stopped or hung run) costs a remembered path,
// not a workflow that never ends.
TEST(UserDefaults, AHolderThatNeverLetsGoDelaysOnlyBriefly) {
    TempHome home;
    const std::filesystem::path folder = userDefaultsFile().parent_path();
    std::filesystem::create_directories(folder);
    const int holder = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    const auto start = std::chrono::steady_clock::now();
    UserDefaults().setValue("k", "/p");
    const auto waited = std::chrono::steady_clock::now() - start;
    ::close(holder);
    EXPECT_LT(waited, std::chrono::seconds(10));
    EXPECT_EQ(UserDefaults().value("k"), std::nullopt);
}

}  // namespace
}  // namespace corvane
