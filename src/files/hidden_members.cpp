#include "files/hidden_members.h"

#include <algorithm>

#include "files/home_relative_path.h"
#include "files/json_outline.h"
#include "model/messages.h"
#include "model/setup_error.h"

namespace corvane {
namespace {

bool holdsHidden(std::string_view text, std::size_t open, std::string_view marker) {
    const JsonContainerSpan span = outlineJsonContainer(text, open);
    for (auto item = span.items.begin(); item != span.items.end(); ++item) {
        const bool hidden = text[open] == '{' &&
                            std::any_of(item + 1, span.items.end(),
                                        [&](const auto& later) { return later.key == item->key; });
        if (hidden && text.substr(item->start, item->valueEnd - item->start).find(marker) !=
                          std::string_view::npos) {
            return true;
        }
        const char first = text[item->valueStart];
        if ((first == '{' || first == '[') && holdsHidden(text, item->valueStart, marker)) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool hiddenMemberHolds(const EditableJson& document, std::string_view marker) {
    const std::string_view text = document.text();
    const std::size_t root = jsonRootStart(text);
    if (root >= text.size() || (text[root] != '{' && text[root] != '[')) return false;
    return holdsHidden(text, root, marker);
}

void refuseHiddenMember(const EditableJson& document, std::string_view marker,
                        const std::filesystem::path& path) {
    if (!hiddenMemberHolds(document, marker)) return;
    throw SetupError(translated("files.config.hidden-member"),
                     translated("files.config.hidden-member-detail",
                                {{"file", homeRelativePath(path)}, {"marker", marker}}));
}

}  // namespace corvane
