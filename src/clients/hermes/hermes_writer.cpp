#include "clients/hermes/hermes_configuration_text.h"
#include "clients/hermes/hermes_object.h"
#include "clients/hermes/hermes_receipt.h"
#include "clients/selected_client_configuration.h"
#include "files/config_files.h"

namespace corvane {

FilePlan SelectedClientConfiguration::planHermes(const InstalledApplication& application,
                                                 std::stop_token stop) const {
    const std::filesystem::path file = localClientConfigURL(Client::hermes, chosenPath);
    const std::optional<Bytes> original = configurationData(file);
    const nlohmann::json current = hermesObject(original, file, application.bundle, stop);
    nlohmann::json object = current;

    const auto existing = object.find("model");
    nlohmann::json model = existing != object.end() && existing->is_object()
                               ? std::move(*existing)
                               : nlohmann::json::object();
    model["provider"] = "custom";
    model["default"] = settings.inferenceModels().at(0).name;
    model["base_url"] = compatibleURL().absoluteString();
    model["api_key"] = settings.inferenceGatewayApiKey();
    object["model"] = model;
    const Bytes text =
        hermesConfigurationText(original, current, object, std::nullopt, nlohmann::json::object(),
                                file, application.bundle, stop);

    // The receipt goes first, so that a configuration holding the tool's
    // connection never lacks one.
    const std::filesystem::path receiptPath = hermesReceiptURL(file);
    return {{FileChange::Kind::ownFile, receiptPath, configurationData(receiptPath),
             hermesReceipt(model)},
            {FileChange::Kind::configuration, file, original, text}};
}

}  // namespace corvane
