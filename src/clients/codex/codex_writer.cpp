#include "clients/codex/codex_writer.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "clients/codex/codex_config_document.h"
#include "clients/codex/codex_files.h"
#include "clients/codex/codex_toml_check.h"
#include "files/config_files.h"
#include "files/edit_check_failed.h"
#include "files/home_relative_path.h"
#include "files/json_text.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "model/text.h"

namespace corvane {
namespace {

constexpr std::array<std::string_view, 4> kOwnedRootKeys{
    "model", "model_provider", "model_catalog_json", "model_reasoning_effort"};

bool assignsOwnedRootKey(std::string_view entry) {
    return std::any_of(kOwnedRootKeys.begin(), kOwnedRootKeys.end(), [entry](auto key) {
        return CodexConfigDocument::rootValue(entry, key).has_value();
    });
}

}  // namespace

std::string codexKeptText(CodexConfigDocument document) {
    std::erase_if(document.root, assignsOwnedRootKey);
    document.dropOwnedTables();
    document.trimBlankEnds();
    return document.rendered();
}

namespace {

nlohmann::json catalogEntry(const GatewaySettings::Model& model, std::size_t priority) {
    return {
        {"slug", model.name},
        {"display_name", model.label()},
        {"description", translated("clients.codex.model-description")},
        {"base_instructions", "You are a helpful AI assistant."},
        {"default_reasoning_level", "low"},
        {"supported_reasoning_levels", {{{"effort", "low"}, {"description", "Low"}}}},
        {"shell_type", "shell_command"},
        {"visibility", "list"},
        {"minimal_client_version", {0, 1, 0}},
        {"supported_in_api", true},
        {"priority", priority},
        {"support_verbosity", false},
        {"supports_image_detail_original", false},
        {"truncation_policy", {{"mode", "tokens"}, {"limit", 10000}}},
        {"context_window", 32768},
        {"max_context_window", 32768},
        {"experimental_supported_tools", nlohmann::json::array()},
    };
}

}  // namespace

std::string tomlString(std::string_view value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string literal = "\"";
    literal.reserve(value.size() + 2);
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                literal += "\\\"";
                break;
            case '\\':
                literal += "\\\\";
                break;
            case '\b':
                literal += "\\b";
                break;
            case '\f':
                literal += "\\f";
                break;
            case '\n':
                literal += "\\n";
                break;
            case '\r':
                literal += "\\r";
                break;
            case '\t':
                literal += "\\t";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    literal += "\\u00";
                    literal += kHex[byte >> 4];
                    literal += kHex[byte & 0x0F];
                } else {
                    literal += c;
                }
        }
    }
    literal += '"';
    return literal;
}

std::string codexConfiguration(const SelectedClientConfiguration& configuration,
                               std::string_view text, const std::filesystem::path& catalog) {
    // A byte-order mark stays in front of everything; the lines go after it.
    const auto [byteOrderMark, body] = splitByteOrderMark(text);
    if (!CodexConfigDocument::isSafelyReadable(body)) {
        throw SetupError(translated("clients.codex.malformed"));
    }
    CodexConfigDocument document(body);
    for (const auto& entry : document.root) {
        if (CodexConfigDocument::rootValue(entry, "model_providers")) {
            throw SetupError(translated("clients.codex.inline-providers"));
        }
    }
    if (const auto clash = document.tableClash()) {
        throw SetupError(
            translated("clients.codex.malformed"),
            translated("clients.codex.table-clash",
                       {{"file", homeRelativePath(codexConfigURL())}, {"reason", *clash}}));
    }
    const std::string kept = codexKeptText(std::move(document));
    const GatewaySettings& settings = configuration.settings;

    std::string result(byteOrderMark);
    result.reserve(kept.size() + 1024);
    result += "model = " + tomlString(settings.inferenceModels().front().name) + "\n";
    result += "model_provider = \"corvane_desktop_setup\"\n";
    result += "model_catalog_json = " + tomlString(catalog.string()) + "\n";
    result += "model_reasoning_effort = \"low\"\n";
    result += kept + "\n";
    result += "\n";
    result += "[model_providers.corvane_desktop_setup]\n";
    result += "name = " + tomlString(translated("clients.provider-name")) + "\n";
    result += "base_url = " + tomlString(settings.codexResponsesBaseURL().absoluteString()) + "\n";
    result += "wire_api = \"responses\"\n";
    result += "requires_openai_auth = false\n";
    result += "supports_websockets = false\n";
    if (settings.inferenceGatewayAuthScheme() == "x-api-key") {
        result += "[model_providers.corvane_desktop_setup.http_headers]\n";
        result += "x-api-key = " + tomlString(settings.inferenceGatewayApiKey()) + "\n";
    } else {
        result +=
            "experimental_bearer_token = " + tomlString(settings.inferenceGatewayApiKey()) + "\n";
    }
    // Read back with the same line model: the tool's lines and table are
    // where the reset will look, and the user's lines are all still there.
    const CodexConfigDocument check(splitByteOrderMark(result).second);
    if (check.endsOpen || !check.selectsOwnedProvider() || !check.hasOwnedProvider() ||
        check.tableClash() || codexKeptText(check) != kept) {
        throw EditCheckFailed(translated("clients.codex.does-not-read-back"));
    }
    if (const auto problem = tomlReadError(splitByteOrderMark(result).second)) {
        throw EditCheckFailed(translated("clients.codex.not-toml", {{"problem", *problem}}));
    }
    return result;
}

nlohmann::json codexModelCatalog(const GatewaySettings& settings) {
    nlohmann::json models = nlohmann::json::array();
    const auto& inferenceModels = settings.inferenceModels();
    for (std::size_t index = 0; index < inferenceModels.size(); ++index) {
        models.push_back(catalogEntry(inferenceModels[index], index));
    }
    return {{"models", std::move(models)}};
}

// The catalog goes first, so that config.toml never names a catalog that is
// not there.
FilePlan SelectedClientConfiguration::planCodex() const {
    const std::filesystem::path config = codexConfigURL();
    const std::filesystem::path catalog = codexModelCatalogURL();

    const std::optional<Bytes> existing = configurationData(config);
    const std::string_view text = existing ? std::string_view(*existing) : std::string_view();
    if (!isValidUtf8(text)) throw SetupError(translated("clients.codex.not-utf8"));
    return {{FileChange::Kind::ownFile, catalog, configurationData(catalog),
             prettyJSONEscapingSlashes(codexModelCatalog(settings))},
            {FileChange::Kind::configuration, config, existing,
             codexConfiguration(*this, text, catalog)}};
}

}  // namespace corvane
