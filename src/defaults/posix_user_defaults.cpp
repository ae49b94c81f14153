#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "defaults/ini_settings.h"
#include "defaults/user_defaults.h"
#include "files/config_files.h"
#include "files/folder_lock.h"
#include "platform/home.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

std::optional<Bytes> storedText() {
    try {
        return configurationData(userDefaultsFile());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The remembered paths tell others which clients the user points where, so the
// folder and the file are the owner's alone.
void store(const std::string& key, const std::optional<std::string>& value) {
    try {
        const fs::path file = userDefaultsFile();
        createPrivateDirectories(file.parent_path());
        fs::permissions(file.parent_path(), fs::perms::owner_all);
        // Two runs for different clients at once must both keep their path:
        // without the lock the later write carries the earlier read.
        const FolderLock lock(file.parent_path());
        const std::optional<Bytes> earlier = configurationData(file);
        const std::string text = withIniValue(earlier.value_or(""), key, value);
        if (earlier && text == *earlier) return;
        writePrivateFile(text, file);
    } catch (const std::exception&) {
        // Best effort: the paths are a convenience and the change they record
        // has already been made.
    }
}

}  // namespace

fs::path userDefaultsFile() {
    // Where Qt's QSettings keeps the same store, so earlier builds' paths stay.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const fs::path folder = configHome != nullptr && fs::path(configHome).is_absolute()
                                ? fs::path(configHome)
                                : homeDirectory() / ".config";
    return folder / "Corvane" / "Corvane Setup.conf";
}

std::optional<std::string> UserDefaults::value(const std::string& key) const {
    const std::optional<Bytes> text = storedText();
    return text ? iniValue(*text, key) : std::nullopt;
}

void UserDefaults::setValue(const std::string& key, const std::string& value) { store(key, value); }

void UserDefaults::remove(const std::string& key) { store(key, std::nullopt); }

}  // namespace corvane
