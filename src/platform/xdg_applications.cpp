#include "platform/xdg_applications.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

#include "platform/desktop_entry.h"
#include "platform/home.h"
#include "platform/platform_error.h"

namespace corvane {
namespace {

std::optional<std::filesystem::path> absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    std::filesystem::path path(value);
    if (!path.is_absolute()) return std::nullopt;
    return path;
}

std::vector<std::filesystem::path> dataFolders() {
    std::vector<std::filesystem::path> folders;
    std::optional<std::filesystem::path> dataHome = absoluteVariable("XDG_DATA_HOME");
    if (!dataHome) {
        try {
            dataHome = homeDirectory() / ".local" / "share";
        } catch (const PlatformError&) {
            // Without a home folder only the system's folders are searched.
        }
    }
    if (dataHome) folders.push_back(*dataHome);
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    if (dirs == nullptr || *dirs == '\0') {
        if (dataHome) folders.push_back(*dataHome / "flatpak" / "exports" / "share");
        for (const char* folder :
             {"/var/lib/flatpak/exports/share", "/usr/local/share", "/usr/share"}) {
            folders.emplace_back(folder);
        }
        return folders;
    }
    std::string_view rest = dirs;
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::filesystem::path folder(rest.substr(0, colon));
        // Relative entries are invalid and ignored.
        if (folder.is_absolute()) folders.push_back(folder);
        rest.remove_prefix(colon == std::string_view::npos ? rest.size() : colon + 1);
    }
    return folders;
}

bool contains(std::span<const std::string_view> names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Every desktop file ID with the file the desktop uses for it, in the order
// of the folders and, within one folder, of the IDs.
std::vector<std::pair<std::string, std::filesystem::path>> installedEntries() {
    std::vector<std::pair<std::string, std::filesystem::path>> entries;
    std::set<std::string> seen;
    for (const std::filesystem::path& folder : desktopEntryFolders()) {
        std::vector<std::pair<std::string, std::filesystem::path>> here;
        std::error_code error;
        std::filesystem::recursive_directory_iterator files(folder, error);
        for (; !error && files != std::filesystem::recursive_directory_iterator();
             files.increment(error)) {
            const std::filesystem::path& file = files->path();
            if (file.extension() != ".desktop") continue;
            // The ID of applications/vendor/app.desktop is vendor-app.desktop.
            std::string id = file.lexically_relative(folder).generic_string();
            std::replace(id.begin(), id.end(), '/', '-');
            here.emplace_back(std::move(id), file);
        }
        std::sort(here.begin(), here.end());
        for (auto& entry : here) {
            if (seen.insert(entry.first).second) entries.push_back(std::move(entry));
        }
    }
    return entries;
}

}  // namespace

std::vector<std::filesystem::path> desktopEntryFolders() {
    std::vector<std::filesystem::path> folders;
    for (const std::filesystem::path& data : dataFolders()) {
        std::filesystem::path folder = data / "applications";
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
            folders.push_back(std::move(folder));
        }
    }
    return folders;
}

std::optional<std::filesystem::path> findDesktopEntry(const DesktopApplicationNames& names) {
    const auto entries = installedEntries();
    for (std::string_view id : names.fileIds) {
        for (const auto& [entryId, file] : entries) {
            if (entryId == id && readDesktopEntry(file)) return file;
        }
    }
    for (const auto& [id, file] : entries) {
        const auto entry = readDesktopEntry(file);
        if (!entry) continue;
        if ((entry->windowClass && contains(names.windowClasses, *entry->windowClass)) ||
            contains(names.programs, entry->program.filename().string())) {
            return file;
        }
    }
    return std::nullopt;
}

}  // namespace corvane
