#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// One running process of an application.
class RunningApplication {
public:
    virtual ~RunningApplication() = default;

    // True once the process has ended (also when its PID was reused since).
    virtual bool isTerminated() const = 0;

    // A polite quit request; returns at once.
    virtual void terminate() = 0;

    // The application bundle the process runs from; nothing when it has none.
    // The name is the established one; the value is a file-system path, not a URL.
    virtual std::optional<std::filesystem::path> bundleURL() const = 0;

    // The program file the process runs; nothing when it cannot be read.
    virtual std::optional<std::filesystem::path> executablePath() const = 0;

    // The Flatpak application whose sandbox the process runs in; nothing
    // outside one (always, on systems without Flatpak).
    virtual std::optional<std::string> sandboxApplication() const = 0;
};

// The operating system's view of applications.
class Workspace {
public:
    virtual ~Workspace() = default;

    // The applications running now that may be instances of `bundle`, in the
    // system's order; the caller matches their bundle locations. A workspace
    // may list every running application. On macOS the list comes from the
    // bundle's identifier, as only that query is fresh without a run loop.
    virtual std::vector<std::shared_ptr<RunningApplication>> runningApplications(
        const std::filesystem::path& bundle) = 0;

    // Where the application with this bundle identifier is installed; nothing
    // when the system knows none.
    virtual std::optional<std::filesystem::path> urlForApplication(
        std::string_view bundleIdentifier) = 0;

    // Opens the application (a bundle, or where the platform has them a
    // desktop entry) and brings it to the front. An application that already
    // runs is returned as it is. Throws PlatformError when refused or when the
    // system does not answer within a limit, OperationCancelled when a stop is
    // requested while waiting.
    virtual std::shared_ptr<RunningApplication> openApplication(const std::filesystem::path& bundle,
                                                                std::stop_token stop) = 0;

    // Opens an address in the default browser. Throws PlatformError.
    virtual void openURL(const std::string& url) = 0;
};

// The workspace of the platform this program was built for.
std::unique_ptr<Workspace> makeSystemWorkspace();

}  // namespace corvane
