#include "model/client.h"

#include <array>

#include "model/messages.h"
#include "model/text.h"

namespace corvane {
namespace {

struct ClientFacts {
    Client client;
    std::string_view rawValue;
    std::string_view caseName;
    bool supportsMultiple;
    bool supportsDisplayName;
    std::string_view symbolName;
    std::string_view protocolName;
};

constexpr std::array<ClientFacts, 7> kFacts{{
    {Client::claude, "Claude", "claude", true, true, "bubble.left", "Anthropic Messages"},
    {Client::codex, "Codex", "codex", true, true, "terminal", "OpenAI Responses"},
    {Client::openCode, "OpenCode Desktop", "openCode", true, true,
     "chevron.left.forwardslash.chevron.right", "OpenAI Chat Completions"},
    {Client::openClaw, "OpenClaw（小龙虾）", "openClaw", true, true, "pawprint",
     "OpenAI Chat Completions"},
    {Client::workBuddy, "WorkBuddy", "workBuddy", true, false, "briefcase",
     "OpenAI Chat Completions"},
    {Client::hermes, "Hermes Desktop", "hermes", false, false, "sparkle",
     "OpenAI Chat Completions"},
    {Client::cursor, "Cursor / Grok Build", "cursor", false, false, "cursorarrow", {}},
}};

constexpr std::array<Client, 7> kAllClients{Client::claude,   Client::codex,     Client::openCode,
                                            Client::openClaw, Client::workBuddy, Client::hermes,
                                            Client::cursor};

const ClientFacts& facts(Client client) { return kFacts[static_cast<std::size_t>(client)]; }

constexpr std::array<std::string_view, 1> kClaudeNames{"Claude"};
constexpr std::array<std::string_view, 2> kCodexNames{"Codex", "ChatGPT"};
constexpr std::array<std::string_view, 1> kOpenCodeNames{"OpenCode"};
constexpr std::array<std::string_view, 1> kOpenClawNames{"OpenClaw"};
constexpr std::array<std::string_view, 1> kWorkBuddyNames{"WorkBuddy"};
constexpr std::array<std::string_view, 3> kHermesNames{"Hermes", "Hermes Agent",
                                                       "Hermes Agent Canary"};
constexpr std::array<std::string_view, 2> kCursorNames{"Grok Build", "Cursor"};

constexpr std::array<std::string_view, 1> kClaudeIds{"com.anthropic.claudefordesktop"};
constexpr std::array<std::string_view, 1> kCodexIds{"com.openai.codex"};
constexpr std::array<std::string_view, 1> kOpenCodeIds{"ai.opencode.desktop"};
constexpr std::array<std::string_view, 1> kOpenClawIds{"ai.openclaw.mac"};
constexpr std::array<std::string_view, 2> kWorkBuddyIds{"com.tencent.workbuddy.mac",
                                                        "com.workbuddy.workbuddy"};
constexpr std::array<std::string_view, 2> kHermesIds{"com.nousresearch.hermes-bundled",
                                                     "com.nousresearch.hermes-bundled-canary"};
constexpr std::array<std::string_view, 1> kCursorIds{"com.todesktop.230313mzl4w4u92"};

// Linux names, from the clients' own packages: OpenCode Desktop's Tauri
// build installs OpenCode.desktop running "OpenCode" (earlier "OpenCode
// Desktop", later "opencode-desktop"), Flathub ships it as
// ai.opencode.opencode; Cursor's packages install cursor.desktop with
// StartupWMClass Cursor; Hermes Desktop's Electron build is named "hermes"
// with the product name Hermes. Hermes' own command-line program is also
// called hermes, so its Exec program name is no sign of the desktop build.
constexpr std::array<std::string_view, 3> kOpenCodeDesktopIds{
    "OpenCode.desktop", "ai.opencode.desktop.desktop", "ai.opencode.opencode.desktop"};
constexpr std::array<std::string_view, 2> kOpenCodeWindowClasses{"OpenCode", "ai.opencode.desktop"};
constexpr std::array<std::string_view, 3> kOpenCodePrograms{"OpenCode", "OpenCode Desktop",
                                                            "opencode-desktop"};
constexpr std::array<std::string_view, 1> kHermesDesktopIds{"hermes.desktop"};
constexpr std::array<std::string_view, 1> kHermesWindowClasses{"Hermes"};
constexpr std::array<std::string_view, 1> kCursorDesktopIds{"cursor.desktop"};
constexpr std::array<std::string_view, 1> kCursorWindowClasses{"Cursor"};
constexpr std::array<std::string_view, 1> kCursorPrograms{"cursor"};

struct LinuxNames {
    std::span<const std::string_view> desktopFileIds;
    std::span<const std::string_view> windowClasses;
    std::span<const std::string_view> desktopPrograms;
    std::string_view commandLineProgram;
};

// Claude desktop and WorkBuddy have no Linux build; Claude Code's `claude`
// program is not Claude desktop.
constexpr std::array<LinuxNames, 7> kLinuxNames{{
    {{}, {}, {}, {}},
    {{}, {}, {}, "codex"},
    {kOpenCodeDesktopIds, kOpenCodeWindowClasses, kOpenCodePrograms, "opencode"},
    {{}, {}, {}, "openclaw"},
    {{}, {}, {}, {}},
    {kHermesDesktopIds, kHermesWindowClasses, {}, "hermes"},
    {kCursorDesktopIds, kCursorWindowClasses, kCursorPrograms, {}},
}};

const LinuxNames& linuxNames(Client client) {
    return kLinuxNames[static_cast<std::size_t>(client)];
}

}  // namespace

std::span<const Client> allClients() { return kAllClients; }

std::string_view rawValue(Client client) { return facts(client).rawValue; }

std::optional<Client> clientFromRawValue(std::string_view text) {
    for (const ClientFacts& entry : kFacts) {
        if (entry.rawValue == text) return entry.client;
    }
    return std::nullopt;
}

std::string_view caseName(Client client) { return facts(client).caseName; }

std::optional<Client> clientFromName(std::string_view name) {
    if (auto client = clientFromRawValue(name)) return client;
    const std::string lowered = asciiLowercased(name);
    for (const ClientFacts& entry : kFacts) {
        if (asciiLowercased(entry.caseName) == lowered) return entry.client;
    }
    return std::nullopt;
}
bool supportsMultiple(Client client) { return facts(client).supportsMultiple; }
bool supportsDisplayName(Client client) { return facts(client).supportsDisplayName; }

bool guidanceOnly(Client client) { return client == Client::cursor; }

bool mustRestartForChange(Client client) {
    return client == Client::claude || client == Client::workBuddy;
}

bool takesOneModel(Client client) { return !supportsMultiple(client) && !guidanceOnly(client); }

bool offersAuthScheme(Client client) {
    return client != Client::hermes && client != Client::workBuddy;
}

bool readsManagedPreferences(Client client) { return client == Client::claude; }

std::string_view symbolName(Client client) { return facts(client).symbolName; }
std::string protocolName(Client client) { return protocolName(client, chosenLanguage()); }

std::string protocolName(Client client, Language language) {
    if (guidanceOnly(client)) return translatedIn(language, "model.client.protocol.in-app");
    return std::string(facts(client).protocolName);
}

std::string clientLabel(Client client) {
    switch (client) {
        case Client::claude:
            return translated("model.client.name.claude");
        case Client::codex:
            return translated("model.client.name.codex");
        case Client::openCode:
            return translated("model.client.name.openCode");
        case Client::openClaw:
            return translated("model.client.name.openClaw");
        case Client::workBuddy:
            return translated("model.client.name.workBuddy");
        case Client::hermes:
            return translated("model.client.name.hermes");
        case Client::cursor:
            return translated("model.client.name.cursor");
    }
    return {};
}

std::vector<OfficialDownload> officialDownloads(Client client) {
    std::vector<OfficialDownload> entries;
    switch (client) {
        case Client::claude:
            entries = {{"Claude", "https://claude.ai/download"}};
            break;
        case Client::codex:
#ifdef __APPLE__
            entries = {{"Codex", "https://openai.com/codex/"}};
#else
            // On Linux Codex is its command-line program, installed as its
            // own page says.
            entries = {{"Codex", "https://github.com/openai/codex"}};
#endif
            break;
        case Client::openCode:
            entries = {{"OpenCode Desktop", "https://opencode.ai/download"}};
            break;
        case Client::openClaw:
#ifdef __APPLE__
            entries = {{"OpenClaw", "https://docs.openclaw.ai/platforms/macos"}};
#else
            // OpenClaw has one page per system.
            entries = {{"OpenClaw", "https://docs.openclaw.ai/platforms/linux"}};
#endif
            break;
        case Client::workBuddy:
            entries = {{"WorkBuddy", "https://www.codebuddy.cn/"}};
            break;
        case Client::hermes:
#ifdef __APPLE__
            entries = {{"Hermes Desktop", "https://hermes-agent.nousresearch.com/"}};
#else
            // The site's installers are for the Mac and Windows; Linux
            // installs from the documentation's command.
            entries = {{"Hermes Desktop",
                        "https://hermes-agent.nousresearch.com/docs/getting-started/installation"}};
#endif
            break;
        case Client::cursor:
            entries = {{"Cursor", "https://cursor.com/downloads"},
                       {"Grok Build", "https://cursor.com/download"}};
            break;
    }
    return entries;
}

std::span<const std::string_view> defaultPaths(Client client) {
    static constexpr std::array<std::string_view, 1> openClaw{"~/.openclaw/openclaw.json"};
    static constexpr std::array<std::string_view, 1> hermes{"~/.hermes/config.yaml"};
    static constexpr std::array<std::string_view, 2> workBuddy{"~/.workbuddy/models.json",
                                                               "~/.workbuddy-ai/models.json"};
    switch (client) {
        case Client::openClaw:
            return openClaw;
        case Client::hermes:
            return hermes;
        case Client::workBuddy:
            return workBuddy;
        case Client::claude:
        case Client::codex:
        case Client::openCode:
        case Client::cursor:
            return {};
    }
    return {};
}

std::span<const std::string_view> applicationNames(Client client) {
    switch (client) {
        case Client::claude:
            return kClaudeNames;
        case Client::codex:
            return kCodexNames;
        case Client::openCode:
            return kOpenCodeNames;
        case Client::openClaw:
            return kOpenClawNames;
        case Client::workBuddy:
            return kWorkBuddyNames;
        case Client::hermes:
            return kHermesNames;
        case Client::cursor:
            return kCursorNames;
    }
    return {};
}

std::span<const std::string_view> bundleIdentifiers(Client client) {
    switch (client) {
        case Client::claude:
            return kClaudeIds;
        case Client::codex:
            return kCodexIds;
        case Client::openCode:
            return kOpenCodeIds;
        case Client::openClaw:
            return kOpenClawIds;
        case Client::workBuddy:
            return kWorkBuddyIds;
        case Client::hermes:
            return kHermesIds;
        case Client::cursor:
            return kCursorIds;
    }
    return {};
}

std::span<const std::string_view> desktopFileIds(Client client) {
    return linuxNames(client).desktopFileIds;
}

std::span<const std::string_view> windowClasses(Client client) {
    return linuxNames(client).windowClasses;
}

std::span<const std::string_view> desktopPrograms(Client client) {
    return linuxNames(client).desktopPrograms;
}

std::optional<std::string_view> commandLineProgram(Client client) {
    const std::string_view program = linuxNames(client).commandLineProgram;
    return program.empty() ? std::nullopt : std::optional(program);
}

}  // namespace corvane
