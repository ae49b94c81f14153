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
    // A process this program started is reaped once it has ended.
    ProcessHandle(pid_t pid, unsigned long long startTime,
                  std::optional<std::filesystem::path> bundle);
    ~ProcessHandle() override;

    // The kernel's start time of the process (clock ticks since boot), or
    // nothing when no such process exists.
    static std::optional<unsigned long long> startTimeOf(pid_t pid);

    // The application bundle whose Contents/MacOS holds the process's
    // executable: the innermost enclosing "*.app" folder.
    static std::optional<std::filesystem::path> bundleOf(pid_t pid);

    bool isTerminated() const override;
    void terminate() override;
    std::optional<std::filesystem::path> bundleURL() const override { return bundle_; }

    pid_t pid() const { return identity_.pid(); }

private:
    ProcessIdentity identity_;
    std::optional<std::filesystem::path> bundle_;
    mutable bool ended_ = false;
};

}  // namespace corvane
