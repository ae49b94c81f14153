#pragma once

#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>

#include "files/file_plan.h"
#include "model/client.h"
#include "model/gateway_settings.h"

namespace corvane {

// What the writers need to know of the installed client application.
struct InstalledApplication {
    // The application bundle (".app" folder), when there is one.
    std::optional<std::filesystem::path> bundle;
    // Its short version text, read by the caller from the bundle (or from a
    // command-line tool of the client); nothing when unknown.
    std::optional<std::string> version;
};

// One save request: the validated settings for one client and the
// configuration path the user chose (may be empty).
struct SelectedClientConfiguration {
    Client client;
    GatewaySettings settings;
    std::string chosenPath;

    // The base address with "v1" appended: the OpenAI-compatible endpoint.
    HttpsUrl compatibleURL() const;

    // The file changes of the selected client's writer, computed from the
    // files as they are now; nothing is written. Claude and Cursor have none:
    // SetupError clients.finish-in-app. A stop request ends a writer's
    // wait for a helper program with OperationCancelled.
    FilePlan plan(const InstalledApplication& application, std::stop_token stop = {}) const;

    // Makes those changes; files written before a failure are put back.
    void save(const InstalledApplication& application, std::stop_token stop = {}) const;

    // The selected client's writer alone, each in its own file.
    FilePlan writerPlan(const InstalledApplication& application, std::stop_token stop) const;
    FilePlan planCodex() const;
    FilePlan planOpenCode(const InstalledApplication& application) const;
    FilePlan planOpenClaw() const;
    FilePlan planWorkBuddy() const;
    FilePlan planHermes(const InstalledApplication& application, std::stop_token stop = {}) const;
    void saveCodex() const { commitPlan(planCodex()); }
    void saveHermes(const InstalledApplication& application, std::stop_token stop = {}) const {
        commitPlan(planHermes(application, stop));
    }
};

}  // namespace corvane
