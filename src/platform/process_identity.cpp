#include "platform/process_identity.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace corvane {

ProcessIdentity::ProcessIdentity(pid_t pid, unsigned long long startTime)
    : pid_(pid), startTime_(startTime) {}

namespace {

// The kernel refuses EPERM to a signal for another user's process, and macOS
// also refuses its record (proc_pidinfo): it lives, but cannot be looked at.
bool belongsToAnotherUser(pid_t pid) { return ::kill(pid, 0) != 0 && errno == EPERM; }

}  // namespace

std::optional<ProcessIdentity> ProcessIdentity::of(pid_t pid) {
    std::optional<ProcessRecord> record = processRecord(pid);
    if (!record) {
        if (belongsToAnotherUser(pid)) return ProcessIdentity(pid, kUnknownStartTime);
        return std::nullopt;
    }
    if (record->zombie) return std::nullopt;
    return ProcessIdentity(pid, record->startTime);
}

bool ProcessIdentity::hasEnded() const {
    if (::kill(pid_, 0) != 0 && errno == ESRCH) return true;
    std::optional<ProcessRecord> record = processRecord(pid_);
    // Taking a process that still runs for ended would let a write race it,
    // so one that cannot be looked at counts as running while the PID lives.
    if (!record) return !belongsToAnotherUser(pid_);
    if (startTime_ != kUnknownStartTime && record->startTime != startTime_) return true;
    if (!record->zombie) return false;
    if (record->parent == ::getpid()) {
        int status = 0;
        ::waitpid(pid_, &status, WNOHANG);
    }
    return true;
}

}  // namespace corvane
