#include <exception>

#include "clients/client_status.h"
#include "clients/hermes/hermes_receipt.h"
#include "files/json5.h"
#include "files/json_members.h"

namespace corvane {

// Judged by the receipt alone: reading YAML would mean running Hermes' own
// converter, which a look must not do. Address and model show only when the
// file reads as JSON.
ClientConfigurationStatus hermesStatus(std::string_view chosenPath) {
    const std::filesystem::path url = localClientConfigURL(Client::hermes, chosenPath);
    ClientConfigurationStatus status;
    const ConfigurationFileStatus file = configurationFileStatus(url);
    status.files = {file};
    std::error_code ignored;
    status.configured = file.exists && std::filesystem::exists(hermesReceiptURL(url), ignored);
    if (!*status.configured) return status;
    try {
        const std::optional<Bytes> data = configurationData(url);
        const nlohmann::json model = objectMember(parseJson5(data.value_or("")), "model");
        const nlohmann::json* baseUrl = jsonMember(model, "base_url");
        if (baseUrl != nullptr && baseUrl->is_string()) {
            status.address = gatewayBaseAddress(baseUrl->get<std::string>());
        }
        const nlohmann::json* name = jsonMember(model, "default");
        if (name != nullptr && name->is_string()) status.models.push_back(name->get<std::string>());
    } catch (const std::exception&) {
        // YAML: the receipt has spoken; address and model stay unknown.
    }
    return status;
}

}  // namespace corvane
