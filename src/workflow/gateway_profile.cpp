#include "workflow/gateway_profile.h"

#include <nlohmann/json.hpp>
#include <set>

#include "files/config_files.h"
#include "files/json5.h"
#include "model/setup_error.h"
#include "workflow/secret_names.h"

namespace corvane {
namespace {

// Stands in for the key when only the profile's own values are validated:
// it passes the key's rule and is never sent or written.
constexpr std::string_view kValidationOnlyKey = "profile-validation";

// A name as the file wrote it, quoted so that no control character reaches
// the terminal or the status line.
std::string shownName(std::string_view name) {
    return nlohmann::json(std::string(name))
        .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

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

void refuseUnknownMembers(const nlohmann::json& object, const std::set<std::string>& known,
                          const std::string& where) {
    for (const auto& [name, member] : object.items()) {
        if (!known.contains(name)) {
            refuse("配置档" + where + "中有未知的成员 " + shownName(name) + "。");
        }
    }
}

std::vector<ModelRow> modelRows(const nlohmann::json& list, const std::string& member) {
    const std::string wrongKind =
        "配置档的 " + member + " 须是模型列表：Model ID 字符串，或带 id 与可选 name 的对象。";
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
        refuseUnknownMembers(entry, {"id", "name"}, "的 " + member + " ");
        rows.emplace_back(entry["id"].get<std::string>(), entry.value("name", std::string()));
    }
    return rows;
}

std::string optionalString(const nlohmann::json& document, const std::string& member,
                           std::string fallback) {
    if (!document.contains(member)) return fallback;
    if (!document[member].is_string()) refuse("配置档的 " + member + " 须是字符串。");
    return document[member].get<std::string>();
}

void readClients(const nlohmann::json& clients, GatewayProfile& profile) {
    if (!clients.is_object()) refuse("配置档的 clients 须是以客户端名称为键的对象。");
    for (const auto& [name, entry] : clients.items()) {
        const auto client = clientFromName(name);
        if (!client) refuse("配置档的 clients 中有未知的客户端 " + shownName(name) + "。");
        if (guidanceOnly(*client)) {
            refuse("配置档的 clients 中不能有 " + shownName(name) +
                   "：Cursor / Grok Build 须在应用内完成设置。");
        }
        if (profile.clientNames.contains(*client)) {
            refuse("配置档的 clients 中 " + std::string(rawValue(*client)) + " 出现了两次。");
        }
        const std::string member = "clients." + name;
        if (!entry.is_object()) refuse("配置档的 " + shownName(member) + " 须是对象。");
        refuseUnknownMembers(entry, {"models"}, "的 " + member + " ");
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
    const std::string name(rawValue(client));
    const std::string modelsMember =
        clientModels.contains(client) ? "clients." + clientNames.at(client) + ".models" : "models";
    const auto fail = [&](const std::string& member, const SetupError& error) {
        return SetupError(name + " · " + member + "：" + error.text());
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
        throw SetupError("配置档不是有效的 JSON5（第 " + std::to_string(error.line()) + " 行第 " +
                         std::to_string(error.column()) + " 列）。");
    }
    if (const auto secret = secretMember(document)) {
        refuse("配置档不能含有 API Key，其中有成员 " + shownName(*secret) +
               "。请删除它，在应用时另行提供 Key；未做任何更改。");
    }
    if (!document.is_object()) refuse("配置档须是一个 JSON5 对象。");
    refuseUnknownMembers(document, {"address", "auth", "models", "clients"}, "");
    GatewayProfile profile;
    if (!document.contains("address") || !document["address"].is_string()) {
        refuse("配置档须以字符串给出 address（网关的 HTTPS 地址）。");
    }
    profile.address = document["address"].get<std::string>();
    profile.auth = optionalString(document, "auth", "bearer");
    if (profile.auth != "bearer" && profile.auth != "x-api-key") {
        refuse("配置档的 auth 须为 \"bearer\" 或 \"x-api-key\"。");
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
        throw SetupError("无法读取配置档。", path.string() + ": " + error.what());
    }
    if (!data) throw SetupError("找不到配置档。", path.string());
    return parseGatewayProfile(*data);
}

}  // namespace corvane
