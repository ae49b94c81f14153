#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/workspace.h"

namespace corvane::testing {

// A workspace that notes, at each look at the running applications ("list")
// and each launch ("open"), whether a file then held a marker, so that a test
// can tell whether an application was stopped before its file changed.
class ObservingWorkspace : public Workspace {
public:
    ObservingWorkspace(Workspace& inner, std::filesystem::path file, std::string marker);

    std::vector<std::shared_ptr<RunningApplication>> runningApplications(
        const std::filesystem::path& bundle) override;
    std::optional<std::filesystem::path> urlForApplication(std::string_view id) override;
    std::shared_ptr<RunningApplication> openApplication(const std::filesystem::path& bundle,
                                                        std::stop_token stop) override;
    void openURL(const std::string& url) override;

    std::vector<std::pair<std::string, bool>> moments;

private:
    bool marked() const;

    Workspace& inner_;
    std::filesystem::path file_;
    std::string marker_;
};

}  // namespace corvane::testing
