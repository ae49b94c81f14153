#include <system_error>

#include "apps/application_control.h"
#include "platform/home.h"
#include "platform/platform_error.h"
#include "platform/xdg_applications.h"

namespace corvane {

std::optional<std::filesystem::path> installedURL(Client client, Workspace& workspace,
                                                  const std::filesystem::path& systemApplications) {
    std::vector<std::filesystem::path> folders{systemApplications};
    try {
        folders.push_back(homeDirectory() / "Applications");
    } catch (const PlatformError&) {
        // No home folder: only the system folder holds candidates.
    }
    for (const std::filesystem::path& folder : folders) {
        for (std::string_view name : applicationNames(client)) {
            std::filesystem::path candidate = folder / (std::string(name) + ".app");
            std::error_code error;
            if (std::filesystem::exists(candidate, error)) return candidate;
        }
    }
    for (std::string_view identifier : bundleIdentifiers(client)) {
        if (auto location = workspace.urlForApplication(identifier)) return location;
    }
    return findDesktopEntry(
        {desktopFileIds(client), windowClasses(client), desktopPrograms(client)});
}

}  // namespace corvane
