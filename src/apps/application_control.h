#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "model/client.h"
#include "platform/workspace.h"

namespace corvane {

// How long the application waits last; tests shorten them.
struct ApplicationTiming {
    std::chrono::milliseconds pauseInterval{200};
    int checks = 40;
};

// Finding, stopping and starting client applications, each named by its
// location: its bundle, or on Linux its desktop entry (".desktop" file).
// Every wait ends with OperationCancelled when a stop is requested on the
// token.
class ApplicationControl {
public:
    ApplicationControl(Workspace& workspace, std::stop_token stop, ApplicationTiming timing = {});

    // The running instances: the processes of the bundle (symbolic links and
    // ".." resolved), or those of the desktop entry (see runsEntry).
    std::vector<std::shared_ptr<RunningApplication>> runningApplications(
        const std::filesystem::path& location) const;

    // Asks every instance to quit and waits; SetupError apps.stop.did-not-quit
    // after the time limit.
    void stopApplication(const std::filesystem::path& location) const;

    // Opens the application (brought to the front); PlatformError when refused.
    std::shared_ptr<RunningApplication> launchApplication(
        const std::filesystem::path& location) const;

    // Stops the local service of OpenCode Desktop 2 and later with its
    // opencode-cli (inside the bundle, or beside the desktop entry's program).
    void stopOpenCodeService(const std::filesystem::path& location) const;

    Workspace& workspace() const { return workspace_; }
    std::stop_token stopToken() const { return stop_; }
    const ApplicationTiming& timing() const { return timing_; }

private:
    Workspace& workspace_;
    std::stop_token stop_;
    ApplicationTiming timing_;
};

// The bundle's short version text, or the desktop entry's X-AppImage-Version;
// nothing when it is neither or the entry is missing or not text.
std::optional<std::string> applicationVersion(const std::filesystem::path& location);

// The bundle folder's name without its extension ("Claude" for Claude.app),
// or the desktop entry's Name.
std::string applicationDisplayName(const std::filesystem::path& location);

// The installed application of a client: by name in the system folder, then in
// the home folder's Applications, then by bundle identifier, then by its
// desktop entry.
// The name is the established one; the value is a file-system path, not a URL.
std::optional<std::filesystem::path> installedURL(
    Client client, Workspace& workspace,
    const std::filesystem::path& systemApplications = "/Applications");

}  // namespace corvane
