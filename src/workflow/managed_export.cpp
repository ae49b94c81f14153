#include "workflow/managed_export.h"

#include "model/messages.h"
#include "model/uuid.h"

namespace corvane {
namespace {

std::string xmlEscaped(const std::string& text) {
    std::string escaped;
    for (char character : text) {
        switch (character) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            default:
                escaped += character;
        }
    }
    return escaped;
}

// One "<key>…</key><string>…</string>" pair (or an integer), indented.
std::string entry(const std::string& indent, const std::string& key, const std::string& value) {
    return indent + "<key>" + xmlEscaped(key) + "</key>\n" + indent + "<string>" +
           xmlEscaped(value) + "</string>\n";
}

std::string versionEntry(const std::string& indent) {
    return indent + "<key>PayloadVersion</key>\n" + indent + "<integer>1</integer>\n";
}

}  // namespace

nlohmann::json claudeManagedSettings(const GatewayProfile& profile,
                                     const std::optional<std::string>& key) {
    const GatewaySettings settings = key ? profile.settingsFor(Client::claude, *key)
                                         : profile.settingsWithoutKey(Client::claude);
    nlohmann::json models = nlohmann::json::array();
    for (const auto& model : settings.inferenceModels()) models.push_back(model.name);
    nlohmann::json managed = {
        {"inferenceProvider", settings.inferenceProvider()},
        {"inferenceGatewayBaseUrl", settings.inferenceGatewayBaseUrl().absoluteString()},
        {"inferenceGatewayAuthScheme", settings.inferenceGatewayAuthScheme()},
        {"inferenceModels", models.dump()},
    };
    if (key) managed["inferenceGatewayApiKey"] = settings.inferenceGatewayApiKey();
    return managed;
}

std::string claudeConfigurationProfile(const GatewayProfile& profile,
                                       const std::optional<std::string>& key) {
    const nlohmann::json managed = claudeManagedSettings(profile, key);
    const std::string address = managed["inferenceGatewayBaseUrl"];
    // The key stays out of the identifiers: the same team profile deployed
    // with another key is still the same profile.
    nlohmann::json content = managed;
    content.erase("inferenceGatewayApiKey");
    const std::string identifier =
        "dev.corvane.setup.gateway." + nameBasedUUID("identifier\n" + address);
    const std::string payloadIdentifier = identifier + ".claude";

    const std::string inner = "\t\t\t";
    std::string payload = "\t\t<dict>\n";
    payload += entry(inner, "PayloadDisplayName", translated("workflow.export.payload-name"));
    payload += entry(inner, "PayloadIdentifier", payloadIdentifier);
    payload += entry(inner, "PayloadType", std::string(kClaudeManagedDomain));
    payload += entry(inner, "PayloadUUID", nameBasedUUID("payload\n" + content.dump()));
    payload += versionEntry(inner);
    // nlohmann's objects iterate in key order, so the text is stable.
    for (const auto& [name, value] : managed.items()) {
        payload += entry(inner, name, value.get<std::string>());
    }
    payload += "\t\t</dict>\n";

    const std::string outer = "\t";
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n<dict>\n";
    text += outer + "<key>PayloadContent</key>\n" + outer + "<array>\n" + payload + outer +
            "</array>\n";
    text += entry(outer, "PayloadDescription",
                  translated("workflow.export.description", {{"address", address}}));
    text += entry(outer, "PayloadDisplayName",
                  translated("workflow.export.display-name", {{"address", address}}));
    text += entry(outer, "PayloadIdentifier", identifier);
    text += entry(outer, "PayloadScope", "System");
    text += entry(outer, "PayloadType", "Configuration");
    text += entry(outer, "PayloadUUID", nameBasedUUID("profile\n" + content.dump()));
    text += versionEntry(outer);
    text += "</dict>\n</plist>\n";
    return text;
}

}  // namespace corvane
