#pragma once

#include <filesystem>

#include "platform/workspace.h"

namespace corvane {

// The workspace on Linux. An application is a "Name.app" folder with
// Contents/Info.plist and Contents/MacOS/<CFBundleExecutable>, or an XDG
// desktop entry; a process belongs to the bundle whose Contents/MacOS holds
// its executable, and to the entry whose program it runs.
// Applications are looked up by bundle identifier in the "*.app" folders
// directly inside `systemApplications` and the home folder's "Applications".
class PosixWorkspace final : public Workspace {
public:
    explicit PosixWorkspace(std::filesystem::path systemApplications = "/Applications");

    // Every process, in PID order; those whose executable cannot be read
    // (other users', kernel threads) are left out.
    std::vector<std::shared_ptr<RunningApplication>> runningApplications(
        const std::filesystem::path& bundle) override;

    std::optional<std::filesystem::path> urlForApplication(
        std::string_view bundleIdentifier) override;

    // Starts the bundle's executable, or the program of a desktop entry
    // (".desktop" file) with its Exec arguments, in a session of its own with
    // its standard streams on /dev/null, unless an instance already runs.
    std::shared_ptr<RunningApplication> openApplication(const std::filesystem::path& bundle,
                                                        std::stop_token stop) override;

    // Hands the address to xdg-open.
    void openURL(const std::string& url) override;

private:
    std::shared_ptr<RunningApplication> openDesktopEntry(const std::filesystem::path& file);

    std::filesystem::path systemApplications_;
};

}  // namespace corvane
