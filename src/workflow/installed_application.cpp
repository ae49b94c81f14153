#include "workflow/installed_application.h"

#include <chrono>
#include <sstream>

#include "platform/child_process.h"
#include "platform/desktop_entry.h"
#include "platform/platform_error.h"
#include "platform/program_path.h"

namespace corvane {
namespace {

constexpr std::chrono::seconds kVersionLimit{5};

// The last word of the first line `<program> --version` prints ("1.2.3",
// "opencode 1.2.3" or "v1.2.3"); nothing when it cannot be run in a few
// seconds. The desktop build's own program is never run this way: a window
// program may open its window instead of answering.
std::optional<std::string> programVersion(const std::filesystem::path& program,
                                          std::stop_token stop) {
    try {
        auto child =
            ChildProcess::start(program, {"--version"},
                                {ChildProcess::Stream::nullDevice, ChildProcess::Stream::pipe,
                                 ChildProcess::Stream::nullDevice});
        const auto deadline = std::chrono::steady_clock::now() + kVersionLimit;
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

bool isDesktopEntry(const std::filesystem::path& location) {
    return readDesktopEntry(location).has_value();
}

}  // namespace

std::optional<std::filesystem::path> applicationLocation(Client client,
                                                         const WorkflowServices& services) {
    // A named application that is not there is no installed application: the
    // run must not write files for a client it can neither find nor restart.
    if (services.application) {
        std::error_code error;
        if (!std::filesystem::is_directory(*services.application, error) &&
            !isDesktopEntry(*services.application)) {
            return std::nullopt;
        }
        return services.application;
    }
    return installedURL(client, services.workspace, services.systemApplications);
}

std::optional<std::filesystem::path> commandLineProgramPath(Client client) {
    const auto name = commandLineProgram(client);
    return name ? resolveProgram(*name) : std::nullopt;
}

InstalledApplication describeApplication(Client client,
                                         const std::optional<std::filesystem::path>& location,
                                         std::stop_token stop) {
    if (location && !isDesktopEntry(*location)) {
        return {location, applicationVersion(*location)};
    }
    InstalledApplication application{std::nullopt, std::nullopt};
    if (location) application.version = applicationVersion(*location);
    if (!application.version) {
        if (const auto program = commandLineProgramPath(client)) {
            application.version = programVersion(*program, stop);
        }
    }
    return application;
}

bool hasLinuxBuild(Client client) {
    return !desktopFileIds(client).empty() || commandLineProgram(client).has_value();
}

Installation clientInstallation(Client client, const WorkflowServices& services) {
    if (applicationLocation(client, services)) return Installation::application;
    if (commandLineProgramPath(client)) return Installation::commandLineOnly;
    return Installation::missing;
}

}  // namespace corvane
