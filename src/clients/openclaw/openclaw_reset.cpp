#include "clients/openclaw/openclaw_reset.h"

#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>

#include "files/config_files.h"
#include "files/editable_json.h"
#include "files/hidden_members.h"
#include "files/json_members.h"
#include "files/reset_steps.h"
#include "files/unreadable_configuration.h"

namespace corvane {
namespace {

constexpr const char* kProviderID = "corvane-desktop";
constexpr const char* kModelPrefix = "corvane-desktop/";

// The primary model the defaults named before the tool's first save: the
// object form's "primary", else the plain string form.
std::optional<nlohmann::json> earlierPrimary(const nlohmann::json* earlierModel) {
    if (earlierModel == nullptr) return std::nullopt;
    if (earlierModel->is_object()) {
        const nlohmann::json* primary = jsonMember(*earlierModel, "primary");
        if (primary != nullptr && primary->is_string()) return *primary;
    }
    if (earlierModel->is_string()) return *earlierModel;
    return std::nullopt;
}

void restoreModelSelection(nlohmann::json& defaults, const nlohmann::json& earlierDefaults) {
    const nlohmann::json* current = jsonMember(defaults, "model");
    nlohmann::json selection = objectMember(defaults, "model");
    if (!isOwnedModel(jsonMember(selection, "primary")) && !isOwnedModel(current)) return;

    const nlohmann::json* earlierModel = jsonMember(earlierDefaults, "model");
    const std::optional<nlohmann::json> primary = earlierPrimary(earlierModel);
    if (!primary || isOwnedModel(&*primary)) {
        selection.erase("primary");
    } else {
        selection["primary"] = *primary;
    }
    // The user's plain string form comes back when nothing else was added to
    // the object the tool made of it.
    const bool onlyPrimary =
        selection.empty() || (selection.size() == 1 && selection.contains("primary"));
    if (earlierModel != nullptr && earlierModel->is_string() && !isOwnedModel(earlierModel) &&
        onlyPrimary) {
        defaults["model"] = *earlierModel;
        return;
    }
    // A reference of the tool's own, left from an older save, never comes back.
    nlohmann::json earlierKept = earlierDefaults;
    if (isOwnedModel(earlierModel)) earlierKept.erase("model");
    storeUnlessEmpty(defaults, "model", std::move(selection), earlierKept);
}

}  // namespace

std::optional<FilePlan> resetOpenClawPlan(const std::filesystem::path& configPath) {
    const std::optional<Bytes> previous = configurationData(configPath);
    if (!previous) return std::nullopt;
    const std::optional<EditableJson> document = editableConfiguration(configPath, previous);
    nlohmann::json root = jsonObject(document);
    refuseHiddenMember(*document, kProviderID, configPath);

    nlohmann::json models = objectMember(root, "models");
    nlohmann::json providers = objectMember(models, "providers");
    if (providers.erase(kProviderID) == 0) return std::nullopt;

    const std::optional<Bytes> earlierData = originalConfiguration(configPath);
    const std::optional<EditableJson> earlierDocument =
        editableConfiguration(recoveryBackupURL(configPath), earlierData);
    const nlohmann::json earlier = jsonObject(earlierDocument);
    const nlohmann::json earlierModels = objectMember(earlier, "models");
    const nlohmann::json earlierAgents = objectMember(earlier, "agents");
    const nlohmann::json earlierDefaults = objectMember(earlierAgents, "defaults");

    storeUnlessEmpty(models, "providers", std::move(providers), earlierModels);
    storeUnlessEmpty(root, "models", std::move(models), earlier);

    nlohmann::json agents = objectMember(root, "agents");
    nlohmann::json defaults = objectMember(agents, "defaults");
    nlohmann::json defaultModels = objectMember(defaults, "models");
    eraseMembersWithPrefix(defaultModels, kModelPrefix);
    storeUnlessEmpty(defaults, "models", std::move(defaultModels), earlierDefaults);
    restoreModelSelection(defaults, earlierDefaults);
    storeUnlessEmpty(agents, "defaults", std::move(defaults), earlierAgents);
    storeUnlessEmpty(root, "agents", std::move(agents), earlier);

    // A file that existed before the tool's first save stays, even when empty.
    const bool deleteFile = root.empty() && !earlierData;
    return FilePlan{{FileChange::Kind::restoredConfiguration, configPath, previous,
                     deleteFile ? std::nullopt
                                : std::optional<Bytes>(
                                      jsonConfigurationText(document, root, earlierDocument))}};
}

bool resetOpenClaw(const std::filesystem::path& configPath) {
    return commitPlanIfAny(resetOpenClawPlan(configPath));
}

}  // namespace corvane
