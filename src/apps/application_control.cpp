#include "apps/application_control.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>

#include "model/messages.h"
#include "model/setup_error.h"
#include "platform/bundle_info.h"
#include "platform/child_process.h"
#include "platform/desktop_entry.h"
#include "platform/pause.h"

namespace corvane {
namespace {

// Symbolic links resolved first, then ".", ".." and doubled separators
// removed, so that every spelling of one bundle compares equal.
std::string matchingPath(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return (error ? path.lexically_normal() : resolved).string();
}

// Only major version 2 and later run the local service.
bool hasLocalService(const std::string& version) {
    std::string_view rest = version;
    while (!rest.empty() && rest.front() == '.') rest.remove_prefix(1);
    std::string_view first = rest.substr(0, rest.find('.'));
    if (first.empty()) return false;
    long long major = 0;
    auto [end, code] = std::from_chars(first.data(), first.data() + first.size(), major);
    if (code != std::errc() || end != first.data() + first.size()) return false;
    return major >= 2;
}

bool isExecutableFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

ApplicationControl::ApplicationControl(Workspace& workspace, std::stop_token stop,
                                       ApplicationTiming timing)
    : workspace_(workspace), stop_(std::move(stop)), timing_(timing) {}

std::vector<std::shared_ptr<RunningApplication>> ApplicationControl::runningApplications(
    const std::filesystem::path& location) const {
    const std::optional<DesktopEntry> entry = readDesktopEntry(location);
    const std::string target = matchingPath(location);
    std::vector<std::shared_ptr<RunningApplication>> matching;
    for (auto& application : workspace_.runningApplications(location)) {
        if (application->isTerminated()) continue;
        const std::optional<std::filesystem::path> bundle = application->bundleURL();
        if (entry ? runsEntry(*application, *entry) : bundle && matchingPath(*bundle) == target) {
            matching.push_back(std::move(application));
        }
    }
    return matching;
}

void ApplicationControl::stopApplication(const std::filesystem::path& location) const {
    // Taken once: instances that start while we wait are not ours to stop.
    auto instances = runningApplications(location);
    for (const auto& instance : instances) {
        if (!instance->isTerminated()) instance->terminate();
    }
    for (int check = 0; check < timing_.checks; ++check) {
        bool allEnded = std::all_of(instances.begin(), instances.end(),
                                    [](const auto& instance) { return instance->isTerminated(); });
        if (allEnded) return;
        pause(timing_.pauseInterval, stop_);
    }
    throw SetupError(
        translated("apps.stop.did-not-quit", {{"application", applicationDisplayName(location)}}));
}

std::shared_ptr<RunningApplication> ApplicationControl::launchApplication(
    const std::filesystem::path& location) const {
    return workspace_.openApplication(location, stop_);
}

void ApplicationControl::stopOpenCodeService(const std::filesystem::path& location) const {
    std::optional<std::string> version = applicationVersion(location);
    if (!version || !hasLocalService(*version)) return;
    const std::optional<DesktopEntry> entry = readDesktopEntry(location);
    const std::filesystem::path tool = entry ? entry->program.parent_path() / "opencode-cli"
                                             : location / "Contents" / "Resources" / "opencode-cli";
    if (!isExecutableFile(tool)) return;

    auto process = ChildProcess::start(tool, {"service", "stop"}, {});
    for (int check = 0; check < timing_.checks && process->isRunning(); ++check) {
        pause(timing_.pauseInterval, stop_);
    }
    if (process->isRunning()) {
        process->terminate();
        throw SetupError(translated("apps.opencode-service.did-not-stop"));
    }
    if (process->exitStatus() != 0) {
        throw SetupError(translated("apps.opencode-service.cannot-stop"));
    }
}

std::optional<std::string> applicationVersion(const std::filesystem::path& location) {
    if (const auto entry = readDesktopEntry(location)) return entry->version;
    return bundleInfoString(location, "CFBundleShortVersionString");
}

std::string applicationDisplayName(const std::filesystem::path& location) {
    if (const auto entry = readDesktopEntry(location)) return entry->name;
    std::filesystem::path bundle = location;
    // "Claude.app/" names the same bundle as "Claude.app".
    if (!bundle.has_filename()) bundle = bundle.parent_path();
    return bundle.stem().string();
}

}  // namespace corvane
