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
#include "files/hidden_members.h"
#include "files/json_members.h"
#include "files/reset_steps.h"
#include "files/unreadable_configuration.h"

namespace corvane {
namespace {

constexpr const char* kProviderID = "corvane-desktop";

constexpr const char* kProviderKeys[] = {"provider", "providers"};

std::optional<FileChange> openCodeFileReset(const std::filesystem::path& configPath) {
    const std::optional<Bytes> previous = configurationData(configPath);
    // A file without the marker is not even parsed: a broken file of the
    // user's that the tool never wrote is none of the reset's business.
    if (!previous || previous->find(kProviderID) == Bytes::npos) return std::nullopt;
    const std::optional<EditableJson> document = editableConfiguration(configPath, previous);
    nlohmann::json root = jsonObject(document);
    refuseHiddenMember(*document, kProviderID, configPath);
    const bool holdsProvider =
        std::any_of(std::begin(kProviderKeys), std::end(kProviderKeys),
                    [&](const char* key) { return objectMember(root, key).contains(kProviderID); });
    if (!holdsProvider) return std::nullopt;

    const std::optional<Bytes> earlierData = originalConfiguration(configPath);
    const std::optional<EditableJson> earlierDocument =
        editableConfiguration(recoveryBackupURL(configPath), earlierData);
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
    return FileChange{
        FileChange::Kind::restoredConfiguration, configPath, previous,
        deleteFile ? std::nullopt
                   : std::optional<Bytes>(jsonConfigurationText(document, root, earlierDocument))};
}

}  // namespace

std::optional<FilePlan> resetOpenCodePlan() {
    const OpenCodeConfigPaths paths = openCodeConfigURLs();
    FilePlan plan;
    for (const auto& configPath : {paths.json, paths.jsonc}) {
        if (auto change = openCodeFileReset(configPath)) plan.push_back(std::move(*change));
    }
    if (plan.empty()) return std::nullopt;
    return plan;
}

bool resetOpenCode() { return commitPlanIfAny(resetOpenCodePlan()); }

}  // namespace corvane
