#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/process_identity.h"

namespace corvane {

// /proc/PID/stat: the command name sits in parentheses and may itself hold
// spaces and parentheses, so the fields are counted after the last ')'. The
// start time is in clock ticks since boot.
std::optional<ProcessRecord> processRecord(pid_t pid) {
    std::ifstream stream("/proc/" + std::to_string(pid) + "/stat");
    if (!stream) return std::nullopt;
    std::string text;
    try {
        text.assign(std::istreambuf_iterator<char>(stream), {});
    } catch (const std::ios_base::failure&) {
        // The process ended between the open and the read (ESRCH).
        return std::nullopt;
    }
    std::size_t close = text.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(text.substr(close + 1));
    char state = '?';
    ProcessRecord record;
    fields >> state >> record.parent;
    // Fields 5 to 21 lie between the parent (4) and the start time (22).
    std::string skipped;
    for (int field = 5; field <= 21; ++field) fields >> skipped;
    fields >> record.startTime;
    if (!fields) return std::nullopt;
    record.zombie = state == 'Z' || state == 'X';
    return record;
}

}  // namespace corvane
