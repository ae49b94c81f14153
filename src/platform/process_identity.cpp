#include "platform/process_identity.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace corvane {

ProcessIdentity::ProcessIdentity(pid_t pid, unsigned long long startTime)
    : pid_(pid), startTime_(startTime) {}

std::optional<ProcessIdentity> ProcessIdentity::of(pid_t pid) {
    std::optional<ProcessRecord> record = processRecord(pid);
    if (!record || record->zombie) return std::nullopt;
    return ProcessIdentity(pid, record->startTime);
}

bool ProcessIdentity::hasEnded() const {
    // EPERM means it runs as another user: still alive.
    if (::kill(pid_, 0) != 0 && errno == ESRCH) return true;
    std::optional<ProcessRecord> record = processRecord(pid_);
    if (!record || record->startTime != startTime_) return true;
    if (!record->zombie) return false;
    if (record->parent == ::getpid()) {
        int status = 0;
        ::waitpid(pid_, &status, WNOHANG);
    }
    return true;
}

}  // namespace corvane
