#pragma once

#include <sys/types.h>

#include <optional>

namespace corvane {

// What the system tells of one live process.
struct ProcessRecord {
    // When the kernel started it, in a unit of the platform's; only compared.
    unsigned long long startTime = 0;
    pid_t parent = 0;
    bool zombie = false;
};

// The system's record of the process with this PID; nothing when there is
// none. Implemented per platform (/proc on Linux, proc_pidinfo on macOS).
std::optional<ProcessRecord> processRecord(pid_t pid);

// One process named by its PID and start time, so that a later process
// reusing the PID is never taken for it. Asks the kernel directly: unlike the
// application services of macOS it needs no run loop to notice an end.
class ProcessIdentity {
public:
    ProcessIdentity(pid_t pid, unsigned long long startTime);

    // A start time for a process whose record the system does not show (it
    // runs as another user); such an identity is told apart by its PID alone.
    static constexpr unsigned long long kUnknownStartTime = 0;

    // The identity of the process running now with this PID; nothing when
    // none runs.
    static std::optional<ProcessIdentity> of(pid_t pid);

    // True once the process has ended: no process has the PID, another one
    // has it now, or it is a zombie (reaped here when it is our child). A
    // process of another user whose record is refused counts as running for
    // as long as its PID exists.
    bool hasEnded() const;

    pid_t pid() const { return pid_; }
    unsigned long long startTime() const { return startTime_; }

private:
    pid_t pid_;
    unsigned long long startTime_;
};

}  // namespace corvane
