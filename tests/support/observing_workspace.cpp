#include "support/observing_workspace.h"

#include "support/temp_home.h"

namespace corvane::testing {

ObservingWorkspace::ObservingWorkspace(Workspace& inner, std::filesystem::path file,
                                       std::string marker)
    : inner_(inner), file_(std::move(file)), marker_(std::move(marker)) {}

std::vector<std::shared_ptr<RunningApplication>> ObservingWorkspace::runningApplications(
    const std::filesystem::path& bundle) {
    moments.emplace_back("list", marked());
    return inner_.runningApplications(bundle);
}

std::optional<std::filesystem::path> ObservingWorkspace::urlForApplication(std::string_view id) {
    return inner_.urlForApplication(id);
}

std::shared_ptr<RunningApplication> ObservingWorkspace::openApplication(
    const std::filesystem::path& bundle, std::stop_token stop) {
    moments.emplace_back("open", marked());
    return inner_.openApplication(bundle, std::move(stop));
}

void ObservingWorkspace::openURL(const std::string& url) { inner_.openURL(url); }

bool ObservingWorkspace::marked() const {
    return std::filesystem::exists(file_) && readFile(file_).find(marker_) != std::string::npos;
}

}  // namespace corvane::testing
