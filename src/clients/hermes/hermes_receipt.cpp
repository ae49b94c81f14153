#include "clients/hermes/hermes_receipt.h"

#include <openssl/evp.h>

#include <array>
#include <string_view>

#include "files/json_text.h"
#include "platform/platform_error.h"

namespace corvane {
namespace {

constexpr std::array<std::string_view, 3> kReceiptFields{"provider", "base_url", "api_key"};

}  // namespace

std::filesystem::path hermesReceiptURL(const std::filesystem::path& config) {
    return config.parent_path() / ("." + config.filename().string() + ".corvane-reset");
}

Bytes hermesReceipt(const nlohmann::json& model) {
    nlohmann::json connection = nlohmann::json::object();
    if (model.is_object()) {
        for (std::string_view field : kReceiptFields) {
            const auto entry = model.find(std::string(field));
            if (entry != model.end()) connection[std::string(field)] = *entry;
        }
    }
    const std::string text = compactJSONEscapingSlashes(connection);

    Bytes digest(EVP_MAX_MD_SIZE, '\0');
    unsigned int length = 0;
    if (EVP_Digest(text.data(), text.size(), reinterpret_cast<unsigned char*>(digest.data()),
                   &length, EVP_sha256(), nullptr) != 1) {
        throw PlatformError("SHA-256 failed");
    }
    digest.resize(length);
    return digest;
}

}  // namespace corvane
