#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/language.h"

namespace corvane {

// The closed list of desktop applications the tool can point at a gateway, in
// sidebar order.
enum class Client { claude, codex, openCode, openClaw, workBuddy, hermes, cursor };

struct OfficialDownload {
    std::string name;
    std::string url;
};

std::span<const Client> allClients();

// The display name as an identifier: stored settings and scripts name the
// client by it, so it never changes with the language.
std::string_view rawValue(Client client);

// The name a sentence or the window shows for the client, in the chosen
// language (the Chinese one is its display name).
std::string clientLabel(Client client);

// Exact, case-sensitive match of a display name only.
std::optional<Client> clientFromRawValue(std::string_view text);

// The lowerCamelCase case name ("openClaw"), as scripts spell clients.
std::string_view caseName(Client client);

// The client a script or a file names: its display name exactly, or its case
// name in any letter case. Nothing when no client has that name.
std::optional<Client> clientFromName(std::string_view name);

bool supportsMultiple(Client client);
bool supportsDisplayName(Client client);

// Cursor / Grok Build is set up inside the application: the tool only shows
// where and opens it, so it has no form, nothing to check, write or reset.
bool guidanceOnly(Client client);

// Claude desktop and WorkBuddy overwrite their files while they run, so their
// files change only while they are stopped: declining the restart cancels the
// change.
bool mustRestartForChange(Client client);

// Hermes Desktop takes exactly one model (Cursor / Grok Build takes none).
bool takesOneModel(Client client);

// Whether the form offers a choice of authentication scheme; Hermes
// Desktop's and WorkBuddy's files have no place for one.
bool offersAuthScheme(Client client);

// Only Claude desktop reads settings that device management deploys.
bool readsManagedPreferences(Client client);

std::string_view symbolName(Client client);
std::string protocolName(Client client);
// The same in one language whatever the user's: what scripts read stays put.
std::string protocolName(Client client, Language language);

// Vendor download pages, each an https address.
std::vector<OfficialDownload> officialDownloads(Client client);

// The home-relative ("~/...") configuration paths a client may use, preferred
// first; empty when the client has no default path.
std::span<const std::string_view> defaultPaths(Client client);

// What the installed-application search looks for, in search order.
std::span<const std::string_view> applicationNames(Client client);
std::span<const std::string_view> bundleIdentifiers(Client client);

// How the client's desktop application is known on Linux: its desktop entry
// file IDs, StartupWMClass values and Exec program names. Empty for clients
// without a Linux desktop build.
std::span<const std::string_view> desktopFileIds(Client client);
std::span<const std::string_view> windowClasses(Client client);
std::span<const std::string_view> desktopPrograms(Client client);

// The client's command-line program, looked up on PATH; nothing when it has
// none.
std::optional<std::string_view> commandLineProgram(Client client);

}  // namespace corvane
