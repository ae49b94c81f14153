// Another program that edits a configuration file while the tool writes it
// wins, however late the edit comes. The moment after the new content is
// synced, right before the last check and the rename, is caught by defining
// fsync() in this program: the core library is linked statically, so its call
// resolves here instead of in the C library.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "files/config_files.h"
#include "files/reset_steps.h"
#include "support/catalogue_text.h"
#include "support/setup_error_text.h"
#include "support/stray_temporaries.h"
#include "support/temp_home.h"

namespace {

// Called after every fsync while a test sets it.
std::function<void()> afterSync;

}  // namespace

extern "C" int fsync(int descriptor) {
    // The C library's own fsync, the next definition after this program's.
    static const auto systemFsync = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    const int result = systemFsync(descriptor);
    if (afterSync) afterSync();
    return result;
}

namespace corvane {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

TEST(ConcurrentWrite, AnEditJustBeforeTheRenameIsNeverOverwritten) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> write;
        // The new content's fsync: a first save syncs its backup and the folder first.
        int syncsBeforeTheEdit;
        bool backupStays;
    };
    const Case cases[] = {
        {"apply", [](const fs::path& file) { replaceConfiguration("mine", file, "theirs"); }, 3,
         false},
        {"reset", [](const fs::path& file) { finishReset("earlier", file, "theirs"); }, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempHome home;
        const fs::path file = home.path() / "config.json";
        writeFile(file, "theirs");
        if (c.backupStays) writeFile(recoveryBackupURL(file), "earlier");
        int syncs = 0;
        afterSync = [&] {
            if (++syncs != c.syncsBeforeTheEdit) return;
            const int descriptor = ::open(file.c_str(), O_WRONLY | O_APPEND);
            ASSERT_EQ(::write(descriptor, " edited", 7), 7);
            ::close(descriptor);
        };
        const std::string text = testing::setupErrorText([&] { c.write(file); });
        afterSync = nullptr;
        EXPECT_EQ(text, testing::zh("files.config.changed-under-us"));
        EXPECT_EQ(readFile(file), "theirs edited");
        EXPECT_EQ(fs::exists(recoveryBackupURL(file)), c.backupStays);
        EXPECT_TRUE(testing::strayTemporaries(home.path()).empty());
    }
}

}  // namespace
}  // namespace corvane
