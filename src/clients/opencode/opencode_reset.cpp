#include "clients/opencode/opencode_reset.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <utility>

#include "clients/opencode/opencode_writer.h"
#include "files/config_files.h"
#include "files/editable_json.h"
#include "files/json_members.h"
#include "files/reset_steps.h"

namespace corvane {
namespace {

constexpr const char* kProviderID = "corvane-desktop";

constexpr const char* kProviderKeys[] = {"provider", "providers"};

bool resetOpenCodeFile(const std::filesystem::path& url) {
    const std::optional<Bytes> previous = configurationData(url);
    // A file without the marker is not even parsed: a broken file of the
    // user's that the tool never wrote is none of the reset's business.
    if (!previous || previous->find(kProviderID) == Bytes::npos) return false;
    const std::optional<EditableJson> document = editableJson(previous);
    nlohmann::json root = jsonObject(document);
    const bool holdsProvider =
        std::any_of(std::begin(kProviderKeys), std::end(kProviderKeys),
                    [&](const char* key) { return objectMember(root, key).contains(kProviderID); });
    if (!holdsProvider) return false;

    const std::optional<Bytes> earlierData = originalConfiguration(url);
    const std::optional<EditableJson> earlierDocument = editableJson(earlierData);
    const nlohmann::json earlier = jsonObject(earlierDocument);
    for (const char* key : kProviderKeys) {
        nlohmann::json providers = objectMember(root, key);
        if (providers.erase(kProviderID) == 0) continue;
        storeUnlessEmpty(root, key, std::move(providers), earlier);
    }
    if (isOwnedModel(jsonMember(root, "model"))) {
        const nlohmann::json* earlierModel = jsonMember(earlier, "model");
        if (earlierModel != nullptr && !isOwnedModel(earlierModel)) {
            root["model"] = *earlierModel;
        } else {
            root.erase("model");
        }
    }

    // A file that existed before the tool's first save stays, even when empty.
    const bool deleteFile = root.empty() && !earlierData;
    finishReset(deleteFile
                    ? std::nullopt
                    : std::optional<Bytes>(jsonConfigurationText(document, root, earlierDocument)),
                url, previous);
    return true;
}

}  // namespace

bool resetOpenCode() {
    const OpenCodeConfigURLs urls = openCodeConfigURLs();
    const bool jsonReset = resetOpenCodeFile(urls.json);
    const bool jsoncReset = resetOpenCodeFile(urls.jsonc);
    return jsonReset || jsoncReset;
}

}  // namespace corvane
