#include <exception>
#include <map>
#include <string>

#include "clients/client_status.h"
#include "clients/hermes/hermes_model_block.h"
#include "clients/hermes/hermes_receipt.h"
#include "files/json5.h"
#include "files/json_members.h"
#include "files/reset_steps.h"

namespace corvane {
namespace {

using ModelStrings = std::map<std::string, std::string>;

// The model's one-line string fields, from JSON or block-style YAML, without
// running Hermes' converter; empty when the text cannot be read so.
ModelStrings modelStrings(const std::optional<Bytes>& data) {
    ModelStrings model;
    if (!data) return model;
    try {
        const nlohmann::json object = objectMember(parseJson5(*data), "model");
        for (const auto& [name, value] : object.items()) {
            if (value.is_string()) model[name] = value.get<std::string>();
        }
    } catch (const std::exception&) {
        model = yamlModelStrings(*data);
    }
    return model;
}

// The receipt's fields of a model, as the receipt covers them.
Bytes connectionReceipt(const ModelStrings& model) {
    nlohmann::json connection = nlohmann::json::object();
    for (const char* name : {"provider", "base_url", "api_key"}) {
        if (const auto field = model.find(name); field != model.end()) {
            connection[name] = field->second;
        }
    }
    return hermesReceipt(connection);
}

}  // namespace

// Judged by the receipt and the file together: the receipt counts until the
// file holds the user's own connection from before the tool's first save
// again. Reading YAML fully would mean running Hermes' own converter, which a
// look must not do, so the file's simple lines speak, as JSON or as
// block-style YAML.
ClientConfigurationStatus hermesStatus(std::string_view chosenPath) {
    const std::filesystem::path configPath = localClientConfigURL(Client::hermes, chosenPath);
    ClientConfigurationStatus status;
    const ConfigurationFileStatus file = configurationFileStatus(configPath);
    status.files = {file};
    std::optional<Bytes> receipt;
    ModelStrings model;
    try {
        receipt = configurationData(hermesReceiptURL(configPath));
        status.configured = file.exists && receipt.has_value();
        if (!*status.configured) return status;
        model = modelStrings(configurationData(configPath));
        const Bytes current = connectionReceipt(model);
        if (current != *receipt &&
            current == connectionReceipt(modelStrings(originalConfiguration(configPath)))) {
            status.configured = false;
            return status;
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
