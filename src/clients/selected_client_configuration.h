#pragma once

#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>

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

    // Writes the selected client's configuration with its writer. Claude and
    // Cursor have none: SetupError "请在选定的应用中完成设置。". A stop request
    // ends a writer's wait for a helper program with OperationCancelled.
    void save(const InstalledApplication& application, std::stop_token stop = {}) const;

    // One writer per client, each in its own file.
    void saveCodex() const;
    void saveOpenCode(const InstalledApplication& application) const;
    void saveOpenClaw() const;
    void saveWorkBuddy() const;
    void saveHermes(const InstalledApplication& application, std::stop_token stop = {}) const;
};

}  // namespace corvane
