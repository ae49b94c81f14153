#include "platform/posix/process_handle.h"

#include <signal.h>

#include <string>

#include "platform/key_file.h"

namespace corvane {
namespace {

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
                             std::optional<std::filesystem::path> executable)
    : identity_(pid, startTime), executable_(std::move(executable)) {}

ProcessHandle::~ProcessHandle() { isTerminated(); }

std::optional<unsigned long long> ProcessHandle::startTimeOf(pid_t pid) {
    std::optional<ProcessRecord> record = processRecord(pid);
    if (!record) return std::nullopt;
    return record->startTime;
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
    const auto info = keyFileGroup(
        "/proc/" + std::to_string(identity_.pid()) + "/root/.flatpak-info", "Application");
    if (!info || !info->contains("name") || isTerminated()) return std::nullopt;
    return info->at("name");
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
