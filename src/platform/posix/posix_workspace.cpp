#include "platform/posix/posix_workspace.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <system_error>

#include "platform/bundle_info.h"
#include "platform/child_environment.h"
#include "platform/child_process.h"
#include "platform/desktop_entry.h"
#include "platform/home.h"
#include "platform/platform_error.h"
#include "platform/posix/process_handle.h"
#include "platform/program_path.h"

namespace corvane {
namespace {

constexpr std::chrono::seconds kOpenURLLimit{10};

std::filesystem::path canonicalOrNormal(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path.lexically_normal() : resolved;
}

class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions_);
        posix_spawnattr_init(&attributes_);
    }
    ~SpawnSetup() {
        posix_spawnattr_destroy(&attributes_);
        posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

pid_t spawnDetached(const std::filesystem::path& executable, std::vector<std::string> arguments) {
    SpawnSetup setup;
    posix_spawn_file_actions_addopen(&setup.actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&setup.actions_, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&setup.actions_, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // Its own session: the application must not share our terminal or be
    // ended with our process group. The command line blocks SIGINT and SIGTERM
    // to watch for them on a thread; an application that inherited that mask
    // could never be asked to quit, so it starts with none blocked and both at
    // their default action.
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&setup.attributes_, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&setup.attributes_, &defaults);
    posix_spawnattr_setflags(&setup.attributes_,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> environment = childEnvironment();
    pid_t pid = 0;
    int result = posix_spawn(&pid, executable.c_str(), &setup.actions_, &setup.attributes_,
                             argv.data(), environment.data());
    if (result != 0) {
        throw PlatformError("cannot open " + executable.string() + ": " +
                            std::error_code(result, std::generic_category()).message());
    }
    return pid;
}

std::shared_ptr<RunningApplication> started(pid_t pid, const std::filesystem::path& executable) {
    std::optional<unsigned long long> startTime = ProcessHandle::startTimeOf(pid);
    return std::make_shared<ProcessHandle>(pid, startTime.value_or(0), executable);
}

}  // namespace

PosixWorkspace::PosixWorkspace(std::filesystem::path systemApplications)
    : systemApplications_(std::move(systemApplications)) {}

std::vector<std::shared_ptr<RunningApplication>> PosixWorkspace::runningApplications(
    const std::filesystem::path&) {
    std::vector<pid_t> pids;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        std::string name = entry.path().filename().string();
        pid_t pid = 0;
        auto [end, code] = std::from_chars(name.data(), name.data() + name.size(), pid);
        if (code == std::errc() && end == name.data() + name.size() && pid > 0) {
            pids.push_back(pid);
        }
    }
    std::sort(pids.begin(), pids.end());

    std::vector<std::shared_ptr<RunningApplication>> applications;
    for (pid_t pid : pids) {
        std::optional<unsigned long long> startTime = ProcessHandle::startTimeOf(pid);
        if (!startTime) continue;
        std::optional<std::filesystem::path> executable = ProcessHandle::executableOf(pid);
        // The executable may have been replaced between the two reads.
        if (ProcessHandle::startTimeOf(pid) != startTime) continue;
        applications.push_back(
            std::make_shared<ProcessHandle>(pid, *startTime, std::move(executable)));
    }
    return applications;
}

std::optional<std::filesystem::path> PosixWorkspace::urlForApplication(
    std::string_view bundleIdentifier) {
    std::vector<std::filesystem::path> folders{systemApplications_};
    try {
        folders.push_back(homeDirectory() / "Applications");
    } catch (const PlatformError&) {
        // Without a home folder only the system folder is searched.
    }
    for (const std::filesystem::path& folder : folders) {
        std::vector<std::filesystem::path> bundles;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            if (entry.path().extension() == ".app") bundles.push_back(entry.path());
        }
        std::sort(bundles.begin(), bundles.end());
        for (const std::filesystem::path& bundle : bundles) {
            if (bundleInfoString(bundle, "CFBundleIdentifier") == bundleIdentifier) return bundle;
        }
    }
    return std::nullopt;
}

// Starting a process does not wait, so there is nothing to stop.
std::shared_ptr<RunningApplication> PosixWorkspace::openApplication(
    const std::filesystem::path& bundle, std::stop_token) {
    if (bundle.extension() == ".desktop") return openDesktopEntry(bundle);
    std::filesystem::path target = canonicalOrNormal(bundle);
    for (const auto& application : runningApplications(target)) {
        std::optional<std::filesystem::path> running = application->bundleURL();
        if (running && *running == target && !application->isTerminated()) return application;
    }
    std::optional<std::string> executableName = bundleInfoString(target, "CFBundleExecutable");
    if (!executableName || executableName->empty() ||
        executableName->find('/') != std::string::npos) {
        throw PlatformError("not an application bundle: " + bundle.string());
    }
    std::filesystem::path executable = target / "Contents" / "MacOS" / *executableName;
    return started(spawnDetached(executable, {executable.string()}), executable);
}

std::shared_ptr<RunningApplication> PosixWorkspace::openDesktopEntry(
    const std::filesystem::path& file) {
    std::optional<DesktopEntry> entry = readDesktopEntry(file);
    if (!entry) throw PlatformError("not a desktop entry that can be started: " + file.string());
    for (const auto& application : runningApplications(file)) {
        if (runsEntry(*application, *entry) && !application->isTerminated()) return application;
    }
    return started(spawnDetached(entry->program, entry->command),
                   canonicalOrNormal(entry->program));
}

void PosixWorkspace::openURL(const std::string& url) {
    std::optional<std::filesystem::path> opener = resolveProgram("xdg-open");
    if (!opener) throw PlatformError("xdg-open is not installed");
    auto child = ChildProcess::start(*opener, {url}, {});
    int status = 0;
    try {
        status = child->waitForExit(std::chrono::steady_clock::now() + kOpenURLLimit, {});
    } catch (const ChildProcessTimeout&) {
        throw PlatformError("xdg-open did not finish");
    }
    if (status != 0) throw PlatformError("xdg-open failed with status " + std::to_string(status));
}

std::unique_ptr<Workspace> makeSystemWorkspace() { return std::make_unique<PosixWorkspace>(); }

}  // namespace corvane
