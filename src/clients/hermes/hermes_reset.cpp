#include "clients/hermes/hermes_reset.h"

#include <curl/curl.h>
#include <openssl/evp.h>

#include <array>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "clients/hermes/hermes_configuration_text.h"
#include "clients/hermes/hermes_object.h"
#include "clients/hermes/hermes_receipt.h"
#include "files/config_files.h"
#include "files/reset_steps.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "model/text.h"
#include "platform/platform_error.h"

namespace corvane {
namespace {

// The fields the writer owns, in the order they are put back.
constexpr std::array<const char*, 4> kHermesFields{"provider", "default", "base_url", "api_key"};

const std::filesystem::path kDefaultHermesApplication = "/Applications/Hermes.app";

nlohmann::json modelMapping(const nlohmann::json& object) {
    const auto model = object.find("model");
    return model != object.end() && model->is_object() ? *model : nlohmann::json::object();
}

const std::string* stringField(const nlohmann::json& model, const char* key) {
    const auto value = model.find(key);
    return value != model.end() && value->is_string() ? value->get_ptr<const std::string*>()
                                                      : nullptr;
}

// The host of an absolute URL, as libcurl reads it; nothing when there is none.
std::optional<std::string> urlHost(const std::string& text) {
    // libcurl reads "https:///v1" as the host "v1"; that address has no host.
    const auto scheme = text.find("://");
    if (scheme == std::string::npos || text.compare(scheme + 3, 1, "/") == 0) return std::nullopt;
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), curl_url_cleanup);
    if (!url || curl_url_set(url.get(), CURLUPART_URL, text.c_str(), CURLU_NON_SUPPORT_SCHEME) !=
                    CURLUE_OK) {
        return std::nullopt;
    }
    char* host = nullptr;
    if (curl_url_get(url.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK || host == nullptr) {
        return std::nullopt;
    }
    std::string result(host);
    curl_free(host);
    if (result.empty()) return std::nullopt;
    return result;
}

std::string sha256Hex(const std::string& text) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_Digest(text.data(), text.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1) {
        throw PlatformError("SHA-256 failed");
    }
    std::string hex;
    char digits[3];
    for (unsigned int i = 0; i < length; ++i) {
        std::snprintf(digits, sizeof digits, "%02x", digest[i]);
        hex += digits;
    }
    return hex;
}

// Without a receipt, only a custom connection with a key that points at the
// known gateway host counts as the tool's.
bool isKnownHostConnection(const nlohmann::json& model, std::string_view knownHostFingerprint) {
    const std::string* provider = stringField(model, "provider");
    if (provider == nullptr || *provider != "custom") return false;
    const std::string* baseURL = stringField(model, "base_url");
    if (baseURL == nullptr) return false;
    const std::optional<std::string> host = urlHost(*baseURL);
    if (!host) return false;
    if (stringField(model, "api_key") == nullptr) return false;
    return sha256Hex(asciiLowercased(*host)) == knownHostFingerprint;
}

bool sameBaseURL(const nlohmann::json& earlier, const nlohmann::json& current) {
    const std::string* before = stringField(earlier, "base_url");
    const std::string* now = stringField(current, "base_url");
    if (before == nullptr || now == nullptr) return before == now;
    return *before == *now;
}

}  // namespace

std::string_view knownHermesHostFingerprint() { return CORVANE_KNOWN_HERMES_HOST_SHA256; }

std::optional<FilePlan> resetHermesPlan(const std::filesystem::path& configPath,
                                        const InstalledApplication& application,
                                        std::string_view knownHostFingerprint,
                                        std::stop_token stop) {
    const std::filesystem::path receiptPath = hermesReceiptURL(configPath);
    const std::optional<Bytes> receipt = configurationData(receiptPath);
    const std::optional<Bytes> backup = originalConfiguration(configPath);
    if (!receipt && !backup) return std::nullopt;
    const std::optional<Bytes> previous = configurationData(configPath);
    if (!previous) return std::nullopt;

    const std::filesystem::path hermes = application.bundle.value_or(kDefaultHermesApplication);
    const nlohmann::json before = hermesObject(previous, configPath, hermes, stop);
    nlohmann::json current = before;
    nlohmann::json model = modelMapping(current);

    if (receipt) {
        if (hermesReceipt(model) != *receipt) {
            // The user put their own connection back by hand: only the
            // receipt and the backup are left of the tool's, and they go.
            if (hermesReceipt(model) ==
                hermesReceipt(modelMapping(
                    hermesObject(backup, recoveryBackupURL(configPath), hermes, stop)))) {
                const std::filesystem::path backupPath = recoveryBackupURL(configPath);
                return FilePlan{{FileChange::Kind::ownFile, receiptPath, receipt, std::nullopt},
                                {FileChange::Kind::ownFile, backupPath,
                                 configurationData(backupPath), std::nullopt}};
            }
            throw SetupError(translated("clients.hermes.changed-elsewhere"));
        }
    } else if (!isKnownHostConnection(model, knownHostFingerprint)) {
        return std::nullopt;
    }

    const nlohmann::json earlier =
        hermesObject(backup, recoveryBackupURL(configPath), hermes, stop);
    const nlohmann::json earlierModel = modelMapping(earlier);
    const bool restore = receipt || !sameBaseURL(earlierModel, model);
    for (const char* field : kHermesFields) {
        const auto value = earlierModel.find(field);
        if (restore && value != earlierModel.end()) {
            model[field] = *value;
        } else {
            model.erase(field);
        }
    }

    // A model that was not a mapping before (a name, or "model:" with no
    // value) comes back as it was.
    const auto earlierValue = earlier.find("model");
    if (model.empty() && earlierValue != earlier.end() && !earlierValue->is_object()) {
        current["model"] = *earlierValue;
    } else if (!model.empty()) {
        current["model"] = model;
    } else {
        current.erase("model");
    }

    // A file that existed before the tool's first save stays, even when empty.
    const std::optional<Bytes> replacement =
        current.empty() && !backup
            ? std::nullopt
            : std::optional<Bytes>(hermesConfigurationText(previous, before, current, backup,
                                                           earlier, configPath, hermes, stop));
    FilePlan plan{{FileChange::Kind::restoredConfiguration, configPath, previous, replacement}};
    if (receipt) plan.push_back({FileChange::Kind::ownFile, receiptPath, receipt, std::nullopt});
    return plan;
}

bool resetHermes(const std::filesystem::path& configPath, const InstalledApplication& application,
                 std::string_view knownHostFingerprint, std::stop_token stop) {
    return commitPlanIfAny(resetHermesPlan(configPath, application, knownHostFingerprint, stop));
}

}  // namespace corvane
