#include <exception>
#include <map>
#include <string>

#include "clients/client_status.h"
#include "clients/hermes/hermes_model_block.h"
#include "clients/hermes/hermes_receipt.h"
#include "files/json5.h"
#include "files/json_members.h"

namespace corvane {

// Judged by the receipt alone: reading YAML fully would mean running Hermes'
// own converter, which a look must not do. Address and model come from the
// file's simple lines, as JSON or as block-style YAML.
ClientConfigurationStatus hermesStatus(std::string_view chosenPath) {
    const std::filesystem::path url = localClientConfigURL(Client::hermes, chosenPath);
    ClientConfigurationStatus status;
    const ConfigurationFileStatus file = configurationFileStatus(url);
    status.files = {file};
    std::error_code ignored;
    status.configured = file.exists && std::filesystem::exists(hermesReceiptURL(url), ignored);
    if (!*status.configured) return status;
    std::map<std::string, std::string> model;
    try {
        const std::string text = configurationData(url).value_or("");
        try {
            const nlohmann::json object = objectMember(parseJson5(text), "model");
            for (const char* name : {"base_url", "default"}) {
                const nlohmann::json* value = jsonMember(object, name);
                if (value != nullptr && value->is_string()) model[name] = value->get<std::string>();
            }
        } catch (const std::exception&) {
            model = yamlModelStrings(text);
        }
    } catch (const std::exception&) {
        // Unreadable: the receipt has spoken; address and model stay unknown.
    }
    if (const auto baseUrl = model.find("base_url"); baseUrl != model.end()) {
        status.address = gatewayBaseAddress(baseUrl->second);
    }
    if (const auto name = model.find("default"); name != model.end()) {
        status.models.push_back(name->second);
    }
    return status;
}

}  // namespace corvane
