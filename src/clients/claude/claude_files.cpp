#include "clients/claude/claude_files.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "clients/claude/claude_activation.h"
#include "files/json_text.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "platform/home.h"

namespace corvane {
namespace {

constexpr std::string_view kSealedPrefix = "__sealed__:";
constexpr const char* kGatewayMode = "3p";

std::optional<std::string> textMember(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) return std::nullopt;
    return found->get<std::string>();
}

bool hasId(const nlohmann::json& entry, std::string_view id) {
    return textMember(entry, "id") == id;
}

bool isToolEntry(const nlohmann::json& entry) { return hasId(entry, kClaudeProfileIdentifier); }

// The profiles Claude lists. A list of any other shape is refused instead of
// being replaced, so that the user's profiles are never dropped.
nlohmann::json entries(const nlohmann::json& meta) {
    const auto found = meta.find("entries");
    if (found == meta.end() || found->is_null()) return nlohmann::json::array();
    if (!found->is_array() ||
        !std::all_of(found->begin(), found->end(),
                     [](const nlohmann::json& entry) { return entry.is_object(); })) {
        throw SetupError(translated("clients.claude.malformed"));
    }
    return *found;
}

bool isAppliedProfileTheTool(const nlohmann::json& meta) {
    return textMember(meta, "appliedId") == kClaudeProfileIdentifier;
}

}  // namespace

ClaudeFiles::ClaudeFiles(std::filesystem::path root) : root_(std::move(root)) {}

ClaudeFiles ClaudeFiles::inHome() {
    return ClaudeFiles(homeDirectory() / "Library/Application Support/Claude-3p");
}

std::filesystem::path ClaudeFiles::library() const { return root_ / "configLibrary"; }

std::filesystem::path ClaudeFiles::profile() const {
    return library() / (std::string(kClaudeProfileIdentifier) + ".json");
}

std::filesystem::path ClaudeFiles::meta() const { return library() / "_meta.json"; }

std::filesystem::path ClaudeFiles::mode() const { return root_ / "claude_desktop_config.json"; }

std::filesystem::path ClaudeFiles::recovery() const { return root_ / ".corvane-reset.json"; }

std::vector<std::filesystem::path> ClaudeFiles::paths() const {
    return {profile(), meta(), mode(), recovery()};
}

ClaudeSnapshot ClaudeFiles::snapshot() const {
    ClaudeSnapshot files;
    for (const auto& path : paths()) files.push_back(configurationData(path));
    return files;
}

void ClaudeFiles::restore(const ClaudeSnapshot& snapshot) const {
    const auto locations = paths();
    if (snapshot.size() != locations.size()) {
        throw std::invalid_argument("a Claude snapshot holds exactly four files");
    }
    for (std::size_t index = locations.size(); index-- > 0;) {
        if (snapshot[index]) {
            // Claude may have removed its library meanwhile; the earlier files
            // must still find their folder.
            createPrivateDirectories(locations[index].parent_path());
            writePrivateFile(*snapshot[index], locations[index]);
        } else {
            removeFileIfPresent(locations[index]);
        }
    }
}

FilePlan ClaudeFiles::applyPlan(const GatewaySettings& settings) const {
    // Claude's own files change only in the members named here; the rest of
    // their text (other keys, order, indentation) stays as Claude wrote it.
    const std::optional<EditableJson> metaDocument = document(meta());
    const std::optional<EditableJson> modeDocument = document(mode());
    nlohmann::json metaObject = jsonObject(metaDocument);
    nlohmann::json modeObject = jsonObject(modeDocument);
    // Read before the first write, so that a malformed list leaves every file as it was.
    nlohmann::json list = entries(metaObject);

    FilePlan plan;
    const std::optional<std::string> applied = textMember(metaObject, "appliedId");
    if (applied != kClaudeProfileIdentifier) {
        const ClaudeActivation earlier{applied, textMember(modeObject, "deploymentMode")};
        plan.push_back(change(recovery(), earlier.encoded()));
    }

    const auto own = std::find_if(list.begin(), list.end(), isToolEntry);
    if (own != list.end()) {
        (*own)["name"] = translated("clients.provider-name");
    } else {
        list.push_back(
            {{"id", kClaudeProfileIdentifier}, {"name", translated("clients.provider-name")}});
    }
    metaObject["appliedId"] = kClaudeProfileIdentifier;
    metaObject["entries"] = std::move(list);
    modeObject["deploymentMode"] = kGatewayMode;

    plan.push_back(change(profile(), prettyJSON(settings.json())));
    plan.push_back(change(meta(), jsonConfigurationText(metaDocument, metaObject)));
    plan.push_back(change(mode(), jsonConfigurationText(modeDocument, modeObject)));
    return plan;
}

void ClaudeFiles::apply(const GatewaySettings& settings) const {
    createPrivateDirectories(library());
    commitPlan(applyPlan(settings));
}

bool ClaudeFiles::hasCorvaneConfiguration() const {
    const nlohmann::json metaObject = object(meta());
    if (std::filesystem::exists(profile())) return true;
    if (isAppliedProfileTheTool(metaObject)) return true;
    const nlohmann::json list = entries(metaObject);
    return std::any_of(list.begin(), list.end(), isToolEntry);
}

std::optional<FilePlan> ClaudeFiles::resetPlan() const {
    if (!hasCorvaneConfiguration()) return std::nullopt;

    std::optional<ClaudeActivation> record;
    if (const auto data = configurationData(recovery())) record = ClaudeActivation::decoded(*data);

    const std::optional<EditableJson> metaDocument = document(meta());
    const std::optional<EditableJson> modeDocument = document(mode());
    nlohmann::json metaObject = jsonObject(metaDocument);
    nlohmann::json modeObject = jsonObject(modeDocument);
    nlohmann::json list = entries(metaObject);
    list.erase(std::remove_if(list.begin(), list.end(), isToolEntry), list.end());

    // When the user has since chosen another profile in Claude, that choice stays.
    if (isAppliedProfileTheTool(metaObject)) {
        std::optional<std::string> previous;
        if (record && record->appliedId &&
            std::any_of(list.begin(), list.end(), [&](const nlohmann::json& entry) {
                return hasId(entry, *record->appliedId);
            })) {
            previous = record->appliedId;
        }
        if (previous) {
            metaObject["appliedId"] = *previous;
        } else {
            metaObject.erase("appliedId");
        }

        if (textMember(modeObject, "deploymentMode") == kGatewayMode) {
            const std::optional<std::string> saved = record ? record->deploymentMode : std::nullopt;
            // Gateway mode without its earlier profile would point Claude at nothing.
            if (!saved || (*saved == kGatewayMode && !previous)) {
                modeObject.erase("deploymentMode");
            } else {
                modeObject["deploymentMode"] = *saved;
            }
        }
    }

    const bool noEntriesLeft = list.empty();
    metaObject["entries"] = std::move(list);
    return FilePlan{
        change(meta(), noEntriesLeft && metaObject.size() == 1
                           ? std::nullopt
                           : std::optional(jsonConfigurationText(metaDocument, metaObject))),
        change(mode(), modeObject.empty()
                           ? std::nullopt
                           : std::optional(jsonConfigurationText(modeDocument, modeObject))),
        change(profile(), std::nullopt),
        change(recovery(), std::nullopt),
    };
}

bool ClaudeFiles::reset() const {
    const std::optional<FilePlan> plan = resetPlan();
    if (!plan) return false;
    commitPlan(*plan);
    return true;
}

bool ClaudeFiles::didClaudeSealKey() const {
    try {
        const auto key = textMember(object(profile()), "inferenceGatewayApiKey");
        if (!key || !key->starts_with(kSealedPrefix)) return false;
        return isAppliedProfileTheTool(object(meta()));
    } catch (...) {
        // Claude may be rewriting the files this moment; the next check sees them whole.
        return false;
    }
}

std::optional<EditableJson> ClaudeFiles::document(const std::filesystem::path& path) const {
    const std::optional<Bytes> data = configurationData(path);
    if (!data) return std::nullopt;
    // Claude reads strict JSON; what it would refuse is not edited either.
    if (!nlohmann::json::parse(*data).is_object()) {
        throw SetupError(translated("clients.claude.malformed"));
    }
    return EditableJson(*data);
}

nlohmann::json ClaudeFiles::object(const std::filesystem::path& path) const {
    return jsonObject(document(path));
}

FileChange ClaudeFiles::change(const std::filesystem::path& path,
                               std::optional<Bytes> content) const {
    return {FileChange::Kind::ownFile, path, configurationData(path), std::move(content)};
}

}  // namespace corvane
