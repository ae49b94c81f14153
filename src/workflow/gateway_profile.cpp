#include "workflow/gateway_profile.h"

#include <nlohmann/json.hpp>
#include <set>

#include "files/config_files.h"
#include "files/json5.h"
#include "files/json_text.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "workflow/secret_names.h"

namespace corvane {
namespace {

// Stands in for the key when only the profile's own values are validated:
// it passes the key's rule and is never sent or written.
constexpr std::string_view kValidationOnlyKey = "profile-validation";

// A name as the file wrote it, quoted so that no control character reaches
// the terminal or the status line.
std::string shownName(std::string_view name) { return displayableJSON(std::string(name)); }

[[noreturn]] void refuse(const std::string& sentence) { throw SetupError(sentence); }

// The first member anywhere in `value` whose name looks like a key's.
std::optional<std::string> secretMember(const nlohmann::json& value) {
    if (value.is_object()) {
        for (const auto& [name, member] : value.items()) {
            if (isSecretName(name)) return name;
            if (auto found = secretMember(member)) return found;
        }
    } else if (value.is_array()) {
        for (const auto& element : value) {
            if (auto found = secretMember(element)) return found;
        }
    }
    return std::nullopt;
}

// `member` names the object inside the profile; empty for the profile itself.
void refuseUnknownMembers(const nlohmann::json& object, const std::set<std::string>& known,
                          const std::string& member) {
    for (const auto& [name, value] : object.items()) {
        if (known.contains(name)) continue;
        if (member.empty()) {
            refuse(translated("workflow.profile.unknown-member", {{"name", shownName(name)}}));
        }
        refuse(translated("workflow.profile.unknown-member-in",
                          {{"member", member}, {"name", shownName(name)}}));
    }
}

std::vector<ModelRow> modelRows(const nlohmann::json& list, const std::string& member) {
    const std::string wrongKind =
        translated("workflow.profile.model-list-expected", {{"member", member}});
    if (!list.is_array()) refuse(wrongKind);
    std::vector<ModelRow> rows;
    for (const nlohmann::json& entry : list) {
        if (entry.is_string()) {
            rows.emplace_back(entry.get<std::string>(), "");
            continue;
        }
        if (!entry.is_object() || !entry.contains("id") || !entry["id"].is_string() ||
            (entry.contains("name") && !entry["name"].is_string())) {
            refuse(wrongKind);
        }
        refuseUnknownMembers(entry, {"id", "name"}, member);
        rows.emplace_back(entry["id"].get<std::string>(), entry.value("name", std::string()));
    }
    return rows;
}

std::string optionalString(const nlohmann::json& document, const std::string& member,
                           std::string fallback) {
    if (!document.contains(member)) return fallback;
    if (!document[member].is_string()) {
        refuse(translated("workflow.profile.string-expected", {{"member", member}}));
    }
    return document[member].get<std::string>();
}

void readClients(const nlohmann::json& clients, GatewayProfile& profile) {
    if (!clients.is_object()) refuse(translated("workflow.profile.clients-object-expected"));
    for (const auto& [name, entry] : clients.items()) {
        const auto client = clientFromName(name);
        if (!client) {
            refuse(translated("workflow.profile.unknown-client", {{"name", shownName(name)}}));
        }
        if (guidanceOnly(*client)) {
            refuse(translated("workflow.profile.guidance-only-client",
                              {{"name", shownName(name)}, {"client", clientLabel(*client)}}));
        }
        if (profile.clientNames.contains(*client)) {
            refuse(translated("workflow.profile.client-twice", {{"client", clientLabel(*client)}}));
        }
        const std::string member = "clients." + name;
        if (!entry.is_object()) {
            refuse(translated("workflow.profile.object-expected", {{"member", shownName(member)}}));
        }
        refuseUnknownMembers(entry, {"models"}, member);
        profile.clientNames[*client] = name;
        if (entry.contains("models")) {
            profile.clientModels[*client] = modelRows(entry["models"], member + ".models");
        }
    }
}

}  // namespace

std::vector<ModelRow> GatewayProfile::rowsFor(Client client) const {
    const auto own = clientModels.find(client);
    std::vector<ModelRow> rows = own != clientModels.end() ? own->second : models;
    if (!supportsMultiple(client) && rows.size() > 1) rows.resize(1);
    if (!supportsDisplayName(client)) {
        for (ModelRow& row : rows) row.displayName.clear();
    }
    return rows;
}

bool GatewayProfile::narrowsToFirstModel(Client client) const {
    const auto own = clientModels.find(client);
    const auto& rows = own != clientModels.end() ? own->second : models;
    return !supportsMultiple(client) && rows.size() > 1;
}

GatewaySettings GatewayProfile::settingsFor(Client client, std::string_view key) const {
    const std::string name = clientLabel(client);
    const std::string modelsMember =
        clientModels.contains(client) ? "clients." + clientNames.at(client) + ".models" : "models";
    const auto fail = [&](const std::string& member, const SetupError& error) {
        return SetupError(
            translated("workflow.profile.member-refused",
                       {{"client", name}, {"member", member}, {"reason", error.text()}}));
    };
    // The address alone first, so that a refusal of the scheme names "auth".
    try {
        GatewayConnection(address, kValidationOnlyKey, "bearer", client);
    } catch (const SetupError& error) {
        throw fail("address", error);
    }
    try {
        GatewayConnection(address, kValidationOnlyKey, auth, client);
    } catch (const SetupError& error) {
        throw fail("auth", error);
    }
    const std::vector<ModelRow> rows = rowsFor(client);
    for (std::size_t index = 0; index < rows.size(); ++index) {
        try {
            GatewaySettings(address, kValidationOnlyKey, auth, {rows[index]}, client);
        } catch (const SetupError& error) {
            throw fail(modelsMember + "[" + std::to_string(index) + "]", error);
        }
    }
    try {
        GatewaySettings(address, kValidationOnlyKey, auth, rows, client);
    } catch (const SetupError& error) {
        throw fail(modelsMember, error);
    }
    // Everything of the profile passed: what is left to fail is the key's own rule.
    return GatewaySettings(address, key, auth, rows, client);
}

GatewaySettings GatewayProfile::settingsWithoutKey(Client client) const {
    return settingsFor(client, kValidationOnlyKey);
}

GatewayProfile parseGatewayProfile(std::string_view text) {
    nlohmann::json document;
    try {
        document = parseJson5(text);
    } catch (const Json5ParseError& error) {
        throw SetupError(translated(
            "workflow.profile.not-json5",
            {{"line", std::to_string(error.line())}, {"column", std::to_string(error.column())}}));
    }
    if (const auto secret = secretMember(document)) {
        refuse(translated("workflow.profile.holds-key", {{"name", shownName(*secret)}}));
    }
    if (!document.is_object()) refuse(translated("workflow.profile.not-an-object"));
    refuseUnknownMembers(document, {"address", "auth", "models", "clients"}, "");
    GatewayProfile profile;
    if (!document.contains("address") || !document["address"].is_string()) {
        refuse(translated("workflow.profile.address-expected"));
    }
    profile.address = document["address"].get<std::string>();
    profile.auth = optionalString(document, "auth", "bearer");
    if (profile.auth != "bearer" && profile.auth != "x-api-key") {
        refuse(translated("workflow.profile.auth-expected"));
    }
    if (document.contains("models")) profile.models = modelRows(document["models"], "models");
    if (document.contains("clients")) readClients(document["clients"], profile);
    for (const auto& [client, name] : profile.clientNames) profile.settingsWithoutKey(client);
    return profile;
}

GatewayProfile readGatewayProfile(const std::filesystem::path& path) {
    std::optional<Bytes> data;
    try {
        data = configurationData(path);
    } catch (const std::exception& error) {
        throw SetupError(translated("workflow.profile.unreadable"),
                         path.string() + ": " + error.what());
    }
    if (!data) throw SetupError(translated("workflow.profile.missing"), path.string());
    return parseGatewayProfile(*data);
}

}  // namespace corvane
