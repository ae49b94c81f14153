#include <gtest/gtest.h>

#include "apps/application_control.h"
#include "platform/posix/posix_workspace.h"
#include "support/fake_bundle.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

// Where fake bundles go: the system folder, the home folder's Applications,
// or elsewhere in the home (found only through its bundle identifier).
enum class Place { system, home, byIdentifier };

struct Installed {
    Place place;
    std::string name;
    std::string bundleIdentifier = "com.example.unrelated";
};

TEST(InstalledURL, SearchOrder) {
    struct Case {
        std::string title;
        Client client;
        std::vector<Installed> installed;
        std::optional<Installed> expected;
    };
    const Installed systemGrok{Place::system, "Grok Build"};
    const Installed systemCursor{Place::system, "Cursor"};
    const Installed homeGrok{Place::home, "Grok Build"};
    const Installed homeCodex{Place::home, "Codex"};
    const Installed systemChatGPT{Place::system, "ChatGPT"};
    const Installed registeredClaude{Place::home, "Claude Beta", "com.anthropic.claudefordesktop"};
    const Installed homeClaude{Place::home, "Claude"};
    const Installed secondWorkBuddyId{Place::home, "WB Two", "com.workbuddy.workbuddy"};
    const Installed firstWorkBuddyId{Place::home, "WB One", "com.tencent.workbuddy.mac"};
    const Installed systemWorkBuddyById{Place::system, "ZZ", "com.workbuddy.workbuddy"};
    const Case cases[] = {
        {"names in the client's order", Client::cursor, {systemCursor, systemGrok}, systemGrok},
        {"system folder before home", Client::cursor, {homeGrok, systemCursor}, systemCursor},
        {"any name in the system folder first",
         Client::codex,
         {homeCodex, systemChatGPT},
         systemChatGPT},
        {"home folder by name", Client::codex, {homeCodex}, homeCodex},
        {"name before identifier", Client::claude, {registeredClaude, homeClaude}, homeClaude},
        {"identifier when no name", Client::claude, {registeredClaude}, registeredClaude},
        {"identifiers in the client's order",
         Client::workBuddy,
         {secondWorkBuddyId, firstWorkBuddyId},
         firstWorkBuddyId},
        {"identifier in the system folder",
         Client::workBuddy,
         {systemWorkBuddyById},
         systemWorkBuddyById},
        {"nothing installed", Client::hermes, {homeClaude, systemGrok}, std::nullopt},
    };
    for (const Case& c : cases) {
        testing::TempHome home;
        auto folder = [&](Place place) {
            return place == Place::system ? home.path() / "System" : home.path() / "Applications";
        };
        for (const Installed& app : c.installed) {
            testing::FakeBundleOptions options;
            options.bundleIdentifier = app.bundleIdentifier;
            testing::makeFakeBundle(folder(app.place), app.name, options);
        }
        PosixWorkspace workspace(home.path() / "System");
        std::optional<std::filesystem::path> expected;
        if (c.expected) expected = folder(c.expected->place) / (c.expected->name + ".app");
        EXPECT_EQ(installedURL(c.client, workspace, home.path() / "System"), expected) << c.title;
    }
}

}  // namespace
}  // namespace corvane
