#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>

#include "platform/process_identity.h"
#include "platform/workspace.h"

namespace corvane {

// One process as the POSIX workspace sees it, known by its ProcessIdentity.
class ProcessHandle final : public RunningApplication {
public:
    // `executable` is the program file the process runs. A process this
    // program started is reaped once it has ended.
    ProcessHandle(pid_t pid, unsigned long long startTime,
                  std::optional<std::filesystem::path> executable);
    ~ProcessHandle() override;

    // The kernel's start time of the process (clock ticks since boot), or
    // nothing when no such process exists.
    static std::optional<unsigned long long> startTimeOf(pid_t pid);

    // The program file the process runs (/proc/PID/exe).
    static std::optional<std::filesystem::path> executableOf(pid_t pid);

    // The application bundle whose Contents/MacOS holds the process's
    // executable: the innermost enclosing "*.app" folder.
    static std::optional<std::filesystem::path> bundleOf(pid_t pid);

    bool isTerminated() const override;
    void terminate() override;
    std::optional<std::filesystem::path> bundleURL() const override;
    std::optional<std::filesystem::path> executablePath() const override { return executable_; }
    // Read from the sandbox's /.flatpak-info, as Flatpak itself tells its
    // instances.
    std::optional<std::string> sandboxApplication() const override;

    pid_t pid() const { return identity_.pid(); }

private:
    ProcessIdentity identity_;
    std::optional<std::filesystem::path> executable_;
    mutable bool ended_ = false;
};

}  // namespace corvane
