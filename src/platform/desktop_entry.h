#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/workspace.h"

namespace corvane {

// An XDG desktop entry (a ".desktop" file) of an application that can be
// started: Type=Application, not hidden, not run in a terminal, with an Exec
// line whose program (and TryExec, when given) is an executable file here.
struct DesktopEntry {
    std::string name;
    // The Exec line split into arguments, field codes (%f, %U, ...) removed;
    // the first is the program as written.
    std::vector<std::string> command;
    // The first argument resolved (absolute as written, else from $PATH).
    std::filesystem::path program;
    std::optional<std::string> windowClass;
    // X-AppImage-Version: the only key packagers fill with the application's
    // own version (the standard Version key is the format's version).
    std::optional<std::string> version;
    // The Flatpak application an exported entry starts (X-Flatpak); its
    // processes run the sandbox's programs, not the entry's "flatpak".
    std::optional<std::string> flatpakApplication;
};

// Reads the entry; nothing when the file is not a ".desktop" file, cannot be
// read, or does not describe an application that can be started as above.
std::optional<DesktopEntry> readDesktopEntry(const std::filesystem::path& file);

// Whether the process is an instance of the entry's application: one running
// in its Flatpak sandbox, else one whose executable is the entry's program.
bool runsEntry(const RunningApplication& process, const DesktopEntry& entry);

// An Exec value as arguments: string escapes, double quotes with their
// backslash escapes, field codes dropped and "%%" kept as "%". Nothing when a
// quote is left open.
std::optional<std::vector<std::string>> execArguments(const std::string& exec);

}  // namespace corvane
