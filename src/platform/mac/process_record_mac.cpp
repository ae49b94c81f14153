#include <libproc.h>
#include <sys/proc.h>
#include <sys/proc_info.h>

#include "platform/process_identity.h"

namespace corvane {

// The start time in microseconds since the epoch, as the kernel recorded it.
std::optional<ProcessRecord> processRecord(pid_t pid) {
    proc_bsdinfo info{};
    const int size = proc_pidinfo(pid, PROC_PIDTBSDINFO, 0, &info, PROC_PIDTBSDINFO_SIZE);
    if (size != PROC_PIDTBSDINFO_SIZE) return std::nullopt;
    ProcessRecord record;
    record.startTime = static_cast<unsigned long long>(info.pbi_start_tvsec) * 1'000'000ULL +
                       info.pbi_start_tvusec;
    record.parent = static_cast<pid_t>(info.pbi_ppid);
    record.zombie = info.pbi_status == SZOMB;
    return record;
}

}  // namespace corvane
