#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace corvane {

// The names by which the desktop may know one application.
struct DesktopApplicationNames {
    std::span<const std::string_view> fileIds;        // "cursor.desktop"
    std::span<const std::string_view> windowClasses;  // StartupWMClass
    std::span<const std::string_view> programs;       // file name of the Exec program
};

// The folders desktop entries are installed in, most important first:
// $XDG_DATA_HOME/applications (default ~/.local/share), then each of
// $XDG_DATA_DIRS/applications. Without $XDG_DATA_DIRS: Flatpak's exports
// (the user's, then the system's), /usr/local/share and /usr/share, as
// Flatpak's own profile script would set it.
std::vector<std::filesystem::path> desktopEntryFolders();

// The entry of an installed application that can be started: the first of
// the file IDs in their order, else the first entry whose StartupWMClass or
// Exec program's file name is one of the names. An ID in a more important
// folder hides the same ID further down, as the desktop sees it.
std::optional<std::filesystem::path> findDesktopEntry(const DesktopApplicationNames& names);

}  // namespace corvane
