#include "clients/codex/codex_reset.h"

#include <algorithm>
#include <optional>
#include <string>

#include "clients/codex/codex_config_document.h"
#include "clients/codex/codex_files.h"
#include "clients/codex/codex_writer.h"
#include "files/config_files.h"
#include "files/edit_check_failed.h"
#include "files/reset_steps.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "model/text.h"

namespace corvane {
namespace {

using Entries = std::vector<std::string>;

bool assignsAny(std::string_view entry, const std::vector<std::string_view>& keys) {
    return std::any_of(keys.begin(), keys.end(), [entry](std::string_view key) {
        return CodexConfigDocument::rootValue(entry, key).has_value();
    });
}

template <typename Predicate>
Entries entriesWhere(const Entries& entries, Predicate matches) {
    Entries selected;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(selected), matches);
    return selected;
}

void prepend(Entries& entries, const Entries& front) {
    entries.insert(entries.begin(), front.begin(), front.end());
}

// The effort the writer sets; any other value is the user's own choice.
bool keepsToolsEffort(const Entries& root) {
    return std::any_of(root.begin(), root.end(), [](const std::string& entry) {
        const auto value = CodexConfigDocument::rootValue(entry, "model_reasoning_effort");
        return value == "\"low\"" || value == "'low'";
    });
}

// The earlier lines; a backup that is not UTF-8 cannot be read as lines and
// gives none.
std::string earlierBody(const std::optional<Bytes>& backup) {
    if (!backup || !isValidUtf8(*backup)) return {};
    return std::string(splitByteOrderMark(*backup).second);
}

// The writer's effort line is there and the user set no other.
bool holdsOnlyToolsEffort(const Entries& root) {
    bool toolsEffort = false;
    for (const std::string& entry : root) {
        const auto value = CodexConfigDocument::rootValue(entry, "model_reasoning_effort");
        if (!value) continue;
        if (*value != "\"low\"" && *value != "'low'") return false;
        toolsEffort = true;
    }
    return toolsEffort;
}

// Since the first save only the tool's own lines changed, so the file as it
// was then is the answer, byte for byte.
bool onlyToolsLinesChanged(const CodexConfigDocument& current, const CodexConfigDocument& earlier) {
    return current.selectsOwnedProvider() && current.selectsOwnedCatalog() &&
           holdsOnlyToolsEffort(current.root) && !earlier.selectsOwnedProvider() &&
           !earlier.selectsOwnedCatalog() && codexKeptText(current) == codexKeptText(earlier);
}

bool isBlankEntry(const std::string& entry) { return entry.empty() || entry == "\r"; }

// The blank lines before and after the user's text as the earlier file had
// them (with its missing final newline), so that they survive a reset that
// must splice; one final newline when there was no earlier text.
std::pair<std::string, std::string> earlierMargins(const CodexConfigDocument& earlier) {
    Entries entries = earlier.root;
    for (const Entries& section : earlier.sections) {
        entries.insert(entries.end(), section.begin(), section.end());
    }
    const auto first = std::find_if_not(entries.begin(), entries.end(), isBlankEntry);
    if (first == entries.end()) return {"", "\n"};
    const auto last = std::find_if_not(entries.rbegin(), entries.rend(), isBlankEntry).base();
    std::string before;
    for (auto entry = entries.begin(); entry != first; ++entry) before += *entry + "\n";
    std::string after;
    for (auto entry = last; entry != entries.end(); ++entry) after += "\n" + *entry;
    return {before, after};
}

// Today's lines without the tool's, the earlier values of the keys it took
// over put back at the top.
std::optional<Bytes> splicedText(CodexConfigDocument document, const CodexConfigDocument& earlier,
                                 bool existedBefore, std::string_view byteOrderMark) {
    const bool selectsCatalog = document.selectsOwnedCatalog();
    if (document.selectsOwnedProvider()) {
        std::erase_if(document.root, [](const std::string& entry) {
            return CodexConfigDocument::isModelBinding(entry);
        });
        if (!earlier.selectsOwnedProvider()) {
            prepend(document.root, entriesWhere(earlier.root, [](const std::string& entry) {
                        return CodexConfigDocument::isModelBinding(entry);
                    }));
        }
    }
    if (selectsCatalog) {
        std::vector<std::string_view> keys{"model_catalog_json"};
        if (keepsToolsEffort(document.root)) keys.push_back("model_reasoning_effort");
        const auto assignsKey = [&keys](const std::string& entry) {
            return assignsAny(entry, keys);
        };
        std::erase_if(document.root, assignsKey);
        if (!earlier.selectsOwnedCatalog()) {
            prepend(document.root, entriesWhere(earlier.root, assignsKey));
        }
    }
    document.dropOwnedTables();
    document.trimBlankEnds();
    const std::string body = document.rendered();
    // A file that existed before stays, even when nothing is left in it.
    if (trimmed(body).empty()) {
        return existedBefore ? std::optional<Bytes>(byteOrderMark) : std::nullopt;
    }
    const auto [before, after] = earlierMargins(earlier);
    return std::string(byteOrderMark) + before + body + after;
}

}  // namespace

std::optional<FilePlan> resetCodexPlan() {
    const std::filesystem::path config = codexConfigURL();
    const std::optional<Bytes> current = configurationData(config);
    if (!current) return std::nullopt;
    if (!isValidUtf8(*current)) throw SetupError(translated("clients.codex.reset-not-utf8"));

    const auto [byteOrderMark, body] = splitByteOrderMark(*current);
    const CodexConfigDocument document(body);
    if (!document.selectsOwnedCatalog() && !document.hasOwnedProvider() &&
        !document.selectsOwnedProvider()) {
        return std::nullopt;
    }

    const std::optional<Bytes> backup = originalConfiguration(config);
    const CodexConfigDocument earlier(earlierBody(backup));
    const std::optional<Bytes> restored =
        backup && isValidUtf8(*backup) && onlyToolsLinesChanged(document, earlier)
            ? backup
            : splicedText(document, earlier, backup.has_value(), byteOrderMark);
    // A provider table swallowed by a string the user left open would slip
    // past the line model; the reset must not report success over it. Only
    // live keys and headers count: a comment or a string may name the id.
    const auto stillNamesProvider = [](std::string_view text) {
        const std::string_view body = splitByteOrderMark(text).second;
        return CodexConfigDocument::isSafelyReadable(body)
                   ? CodexConfigDocument(body).namesOwnedProvider()
                   : text.find("corvane_desktop_setup") != std::string_view::npos;
    };
    if (restored && stillNamesProvider(*restored)) {
        throw EditCheckFailed(translated("clients.codex.reset-still-names-provider"));
    }

    const std::filesystem::path catalog = codexModelCatalogURL();
    return FilePlan{{FileChange::Kind::restoredConfiguration, config, current, restored},
                    {FileChange::Kind::ownFile, catalog, configurationData(catalog), std::nullopt}};
}

bool resetCodex() { return commitPlanIfAny(resetCodexPlan()); }

}  // namespace corvane
