#include "clients/codex/codex_reset.h"

#include <algorithm>
#include <optional>
#include <string>

#include "clients/codex/codex_config_document.h"
#include "clients/codex/codex_files.h"
#include "files/config_files.h"
#include "files/reset_steps.h"
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

CodexConfigDocument earlierDocument(const std::filesystem::path& config) {
    const std::optional<Bytes> backup = originalConfiguration(config);
    // A backup that is not UTF-8 cannot be told apart from no backup.
    if (!backup || !isValidUtf8(*backup)) return CodexConfigDocument("");
    return CodexConfigDocument(*backup);
}

}  // namespace

bool resetCodex() {
    const std::filesystem::path config = codexConfigURL();
    const std::optional<Bytes> current = configurationData(config);
    if (!current) return false;
    if (!isValidUtf8(*current)) throw SetupError("Codex 配置编码无效。");

    CodexConfigDocument document(*current);
    const bool selectsCatalog = document.selectsOwnedCatalog();
    const bool selectsProvider = document.selectsOwnedProvider();
    if (!selectsCatalog && !document.hasOwnedProvider() && !selectsProvider) return false;

    const CodexConfigDocument earlier = earlierDocument(config);

    if (selectsProvider) {
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

    std::erase_if(document.sections, [](const Entries& section) {
        return CodexConfigDocument::isOwnedHeader(section.front());
    });

    const std::string text = document.rendered();
    std::optional<Bytes> restored;
    if (!trimmed(text).empty()) restored = trimmedNewlines(text) + "\n";

    finishReset(restored, config, current);
    removeFileIfPresent(codexModelCatalogURL());
    return true;
}

}  // namespace corvane
