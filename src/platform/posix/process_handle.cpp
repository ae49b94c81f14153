#include "platform/posix/process_handle.h"

#include <signal.h>

#include <string>

namespace corvane {

ProcessHandle::ProcessHandle(pid_t pid, unsigned long long startTime,
                             std::optional<std::filesystem::path> bundle)
    : identity_(pid, startTime), bundle_(std::move(bundle)) {}

ProcessHandle::~ProcessHandle() { isTerminated(); }

std::optional<unsigned long long> ProcessHandle::startTimeOf(pid_t pid) {
    std::optional<ProcessRecord> record = processRecord(pid);
    if (!record) return std::nullopt;
    return record->startTime;
}

std::optional<std::filesystem::path> ProcessHandle::bundleOf(pid_t pid) {
    std::error_code error;
    std::filesystem::path executable =
        std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
    if (error || !executable.is_absolute()) return std::nullopt;
    std::filesystem::path folder = executable.parent_path();
    if (folder.filename() != "MacOS" || folder.parent_path().filename() != "Contents") {
        return std::nullopt;
    }
    std::filesystem::path bundle = folder.parent_path().parent_path();
    if (bundle.extension() != ".app") return std::nullopt;
    return bundle;
}

bool ProcessHandle::isTerminated() const {
    // Once ended, always ended: the PID may belong to another process later.
    if (!ended_) ended_ = identity_.hasEnded();
    return ended_;
}

void ProcessHandle::terminate() {
    if (!isTerminated()) ::kill(identity_.pid(), SIGTERM);
}

}  // namespace corvane
