#include "platform/posix/process_handle.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/key_file.h"

namespace corvane {
namespace {

struct ProcessStat {
    char state = '?';
    pid_t parent = 0;
    unsigned long long startTime = 0;
};

// /proc/PID/stat: the command name sits in parentheses and may itself hold
// spaces and parentheses, so the fields are counted after the last ')'.
std::optional<ProcessStat> readStat(pid_t pid) {
    std::ifstream stream("/proc/" + std::to_string(pid) + "/stat");
    if (!stream) return std::nullopt;
    std::string text(std::istreambuf_iterator<char>(stream), {});
    std::size_t close = text.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(text.substr(close + 1));
    ProcessStat stat;
    fields >> stat.state >> stat.parent;
    // Fields 5 to 21 lie between the parent (4) and the start time (22).
    std::string skipped;
    for (int field = 5; field <= 21; ++field) fields >> skipped;
    fields >> stat.startTime;
    if (!fields) return std::nullopt;
    return stat;
}

std::optional<std::filesystem::path> bundleContaining(const std::filesystem::path& executable) {
    std::filesystem::path folder = executable.parent_path();
    if (folder.filename() != "MacOS" || folder.parent_path().filename() != "Contents") {
        return std::nullopt;
    }
    std::filesystem::path bundle = folder.parent_path().parent_path();
    if (bundle.extension() != ".app") return std::nullopt;
    return bundle;
}

}  // namespace

ProcessHandle::ProcessHandle(pid_t pid, unsigned long long startTime,
                             std::optional<std::filesystem::path> executable, bool ownChild)
    : pid_(pid), startTime_(startTime), executable_(std::move(executable)), ownChild_(ownChild) {}

ProcessHandle::~ProcessHandle() { isTerminated(); }

std::optional<unsigned long long> ProcessHandle::startTimeOf(pid_t pid) {
    std::optional<ProcessStat> stat = readStat(pid);
    if (!stat) return std::nullopt;
    return stat->startTime;
}

std::optional<std::filesystem::path> ProcessHandle::executableOf(pid_t pid) {
    std::error_code error;
    std::filesystem::path executable =
        std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
    if (error || !executable.is_absolute()) return std::nullopt;
    return executable;
}

std::optional<std::filesystem::path> ProcessHandle::bundleOf(pid_t pid) {
    const auto executable = executableOf(pid);
    return executable ? bundleContaining(*executable) : std::nullopt;
}

std::optional<std::filesystem::path> ProcessHandle::bundleURL() const {
    return executable_ ? bundleContaining(*executable_) : std::nullopt;
}

std::optional<std::string> ProcessHandle::sandboxApplication() const {
    const auto info =
        keyFileGroup("/proc/" + std::to_string(pid_) + "/root/.flatpak-info", "Application");
    if (!info || !info->contains("name") || isTerminated()) return std::nullopt;
    return info->at("name");
}

bool ProcessHandle::isTerminated() const {
    if (ended_) return true;
    std::optional<ProcessStat> stat = readStat(pid_);
    if (!stat || stat->startTime != startTime_) {
        ended_ = true;
    } else if (stat->state == 'Z' || stat->state == 'X') {
        // A zombie has ended; reap it when it is ours so none is left behind.
        if (ownChild_ || stat->parent == ::getpid()) {
            int raw = 0;
            ::waitpid(pid_, &raw, WNOHANG);
        }
        ended_ = true;
    }
    return ended_;
}

void ProcessHandle::terminate() {
    if (!isTerminated()) ::kill(pid_, SIGTERM);
}

}  // namespace corvane
