#include "clients/workbuddy/workbuddy_reset.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "clients/workbuddy/workbuddy_writer.h"
#include "files/config_files.h"
#include "files/hidden_members.h"
#include "files/reset_steps.h"
#include "files/unreadable_configuration.h"

namespace corvane {

std::optional<FilePlan> resetWorkBuddyPlan(const std::filesystem::path& configPath) {
    if (configPath.filename() != "models.json") return std::nullopt;
    const std::optional<Bytes> previous = configurationData(configPath);
    if (!previous) return std::nullopt;

    const std::optional<EditableJson> document = editableConfiguration(configPath, previous);
    const std::vector<nlohmann::json> entries = workBuddyModels(document);
    refuseHiddenMember(*document, "corvane-workbuddy-", configPath);
    nlohmann::json kept = nlohmann::json::array();
    for (const auto& entry : entries) {
        if (!isOwnedWorkBuddyModel(entry)) kept.push_back(entry);
    }
    if (kept.size() == entries.size()) return std::nullopt;

    // Without a backup (or with an empty one) the file did not exist before
    // the tool wrote it, so a list left empty goes with it.
    const std::optional<Bytes> earlier = originalConfiguration(configPath);
    const std::optional<EditableJson> earlierDocument =
        editableConfiguration(recoveryBackupURL(configPath), earlier);
    const std::optional<Bytes> data =
        earlier || !kept.empty()
            ? std::optional<Bytes>(jsonConfigurationText(document, kept, earlierDocument))
            : std::nullopt;
    return FilePlan{{FileChange::Kind::restoredConfiguration, configPath, previous, data}};
}

bool resetWorkBuddy(const std::filesystem::path& configPath) {
    return commitPlanIfAny(resetWorkBuddyPlan(configPath));
}

}  // namespace corvane
