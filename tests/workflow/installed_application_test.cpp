#include "workflow/installed_application.h"

#include <gtest/gtest.h>

#include "platform/posix/posix_workspace.h"
#include "support/temp_home.h"
#include "support/workflow_environment.h"

namespace corvane {
namespace {

using testing::desktopEntryText;

TEST(InstalledApplication, FoundByDesktopEntryOrOnPath) {
    struct Case {
        std::string title;
        Client client;
        std::vector<std::pair<std::string, std::string>> files;  // home-relative
        std::vector<std::string> programs;                       // on PATH
        std::optional<std::string> location;                     // home-relative
        std::optional<std::string> commandLine;
        bool flatpakDefaults = false;  // XDG_DATA_DIRS unset
    };
    const std::string home = ".local/share/applications/";
    const std::string system = "share/applications/";
    const Case cases[] = {
        {"file ID",
         Client::openCode,
         {{home + "OpenCode.desktop", desktopEntryText("OpenCode", "tool %U")}},
         {"tool"},
         home + "OpenCode.desktop",
         std::nullopt},
        {"window class under another ID",
         Client::cursor,
         {{system + "appimagekit_1-cursor.desktop",
           desktopEntryText("Cursor", "tool", "StartupWMClass=Cursor\n")}},
         {"tool"},
         system + "appimagekit_1-cursor.desktop",
         std::nullopt},
        {"Exec program name",
         Client::openCode,
         {{system + "vendor/oc.desktop", desktopEntryText("OC", "opencode-desktop")}},
         {"opencode-desktop"},
         system + "vendor/oc.desktop",
         std::nullopt},
        {"entry whose program is missing",
         Client::cursor,
         {{home + "cursor.desktop", desktopEntryText("Cursor", "/nowhere/cursor")}},
         {},
         std::nullopt,
         std::nullopt},
        {"hidden entry hides the system one",
         Client::openCode,
         {{home + "OpenCode.desktop", desktopEntryText("OpenCode", "tool", "Hidden=true\n")},
          {system + "OpenCode.desktop", desktopEntryText("OpenCode", "tool")}},
         {"tool"},
         std::nullopt,
         std::nullopt},
        {"data home before the system folder",
         Client::cursor,
         {{system + "cursor.desktop", desktopEntryText("Cursor", "tool")},
          {home + "cursor.desktop", desktopEntryText("Cursor", "tool")}},
         {"tool"},
         home + "cursor.desktop",
         std::nullopt},
        {"terminal entry is no desktop build",
         Client::openCode,
         {{system + "OpenCode.desktop",
           desktopEntryText("OpenCode", "opencode", "Terminal=true\n")}},
         {"opencode"},
         std::nullopt,
         "opencode"},
        {"only on PATH", Client::openClaw, {}, {"openclaw"}, std::nullopt, "openclaw"},
        {"Claude Code is not Claude desktop",
         Client::claude,
         {{system + "claude.desktop", desktopEntryText("Claude", "claude")}},
         {"claude"},
         std::nullopt,
         std::nullopt},
        {"Flatpak export",
         Client::openCode,
         {{".local/share/flatpak/exports/share/applications/ai.opencode.opencode.desktop",
           desktopEntryText("OpenCode", "tool run ai.opencode.opencode @@u %U @@")}},
         {"tool"},
         ".local/share/flatpak/exports/share/applications/ai.opencode.opencode.desktop",
         std::nullopt,
         true},
    };
    for (const Case& c : cases) {
        testing::TempHome temp;
        temp.setEnvironment("PATH", (temp.path() / "bin").string());
        if (c.flatpakDefaults) temp.setEnvironment("XDG_DATA_DIRS", std::nullopt);
        for (const auto& [file, content] : c.files) testing::writeFile(temp.path() / file, content);
        for (const std::string& program : c.programs) testing::installProgram(temp, program);
        PosixWorkspace workspace(temp.path() / "System");
        WorkflowServices services(workspace);
        services.systemApplications = temp.path() / "System";

        std::optional<std::filesystem::path> location;
        if (c.location) location = temp.path() / *c.location;
        std::optional<std::filesystem::path> commandLine;
        if (c.commandLine) commandLine = temp.path() / "bin" / *c.commandLine;
        EXPECT_EQ(applicationLocation(c.client, services), location) << c.title;
        EXPECT_EQ(commandLineProgramPath(c.client), commandLine) << c.title;
    }
}

}  // namespace
}  // namespace corvane
