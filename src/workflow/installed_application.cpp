#include "workflow/installed_application.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>

#include "platform/child_process.h"
#include "platform/platform_error.h"

namespace corvane {
namespace {

std::optional<std::filesystem::path> programOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return std::nullopt;
    std::istringstream folders(path);
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (folder.empty()) continue;
        const std::filesystem::path candidate = std::filesystem::path(folder) / name;
        if (access(candidate.c_str(), X_OK) == 0 && std::filesystem::is_regular_file(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

// The last word of the first line `opencode --version` prints ("1.2.3" or
// "opencode 1.2.3"); nothing when it cannot be run in a few seconds.
std::optional<std::string> openCodeProgramVersion(std::stop_token stop) {
    const auto program = programOnPath("opencode");
    if (!program) return std::nullopt;
    try {
        auto child =
            ChildProcess::start(*program, {"--version"},
                                {ChildProcess::Stream::nullDevice, ChildProcess::Stream::pipe,
                                 ChildProcess::Stream::nullDevice});
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        const std::string output = child->readOutputToEnd(deadline, stop);
        if (child->waitForExit(deadline, stop) != 0) return std::nullopt;
        std::istringstream words(output.substr(0, output.find('\n')));
        std::string word, last;
        while (words >> word) last = word;
        if (!last.empty() && last.front() == 'v') last.erase(0, 1);
        return last.empty() ? std::nullopt : std::optional(last);
    } catch (const PlatformError&) {
        return std::nullopt;
    } catch (const ChildProcessTimeout&) {
        return std::nullopt;
    }
}

}  // namespace

std::optional<std::filesystem::path> applicationBundle(Client client,
                                                       const WorkflowServices& services) {
    // A named bundle that is not there is no installed application: the
    // run must not write files for a client it can neither find nor restart.
    if (services.application) {
        std::error_code error;
        if (!std::filesystem::is_directory(*services.application, error)) return std::nullopt;
        return services.application;
    }
    return installedURL(client, services.workspace, services.systemApplications);
}

InstalledApplication describeApplication(Client client,
                                         const std::optional<std::filesystem::path>& bundle,
                                         std::stop_token stop) {
    InstalledApplication application{bundle, std::nullopt};
    if (bundle) {
        application.version = applicationVersion(*bundle);
    } else if (client == Client::openCode) {
        application.version = openCodeProgramVersion(stop);
    }
    return application;
}

}  // namespace corvane
