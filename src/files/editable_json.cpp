#include "files/editable_json.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

#include "files/json5.h"
#include "files/json_outline.h"
#include "files/json_style.h"
#include "files/json_text.h"
#include "model/messages.h"
#include "model/setup_error.h"

namespace corvane {
namespace {

using nlohmann::json;
constexpr std::size_t npos = std::string_view::npos;

struct Edit {
    std::size_t start;
    std::size_t end;
    std::string text;
};

// Where a value stood in the earlier document.
struct EarlierPlace {
    const EditableJson* document;
    const json* value;
    std::size_t start;
};

// A member (or element) the edit adds at the end of its container.
struct Addition {
    std::string key;
    const json* value;
    std::optional<std::string> earlierText;  // the value as the earlier document wrote it
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

class JsonEditor {
public:
    JsonEditor(std::string_view text, JsonStyle style) : text_(text), style_(std::move(style)) {}

    void editValue(std::size_t start, const json& current, const json& intended,
                   const std::optional<EarlierPlace>& earlier, bool oneLine) {
        const bool sameKind = (current.is_object() && intended.is_object()) ||
                              (current.is_array() && intended.is_array());
        // A container is compared member by member on the way in.
        if (sameKind) {
            editContainer(start, current, intended, earlier);
        } else if (!sameJsonValue(current, intended)) {
            edits_.push_back({start, jsonValueEnd(text_, start),
                              renderJson(intended, style_, lineIndent(start), oneLine)});
        }
    }

    Bytes result() {
        std::stable_sort(edits_.begin(), edits_.end(), [](const Edit& a, const Edit& b) {
            return a.start != b.start ? a.start < b.start : a.end < b.end;
        });
        Bytes out;
        out.reserve(text_.size() + 4096);
        std::size_t cursor = 0;
        for (const Edit& edit : edits_) {
            if (edit.start < cursor) throw EditCheckFailed(translated("files.edit.overlapping"));
            out.append(text_.substr(cursor, edit.start - cursor));
            out += edit.text;
            cursor = edit.end;
        }
        out.append(text_.substr(cursor));
        return out;
    }

private:
    std::string_view text_;
    JsonStyle style_;
    std::vector<Edit> edits_;

    std::size_t lineStart(std::size_t at) const {
        const std::size_t newline = at == 0 ? npos : text_.find_last_of("\r\n", at - 1);
        return newline == npos ? 0 : newline + 1;
    }

    bool leadsLine(std::size_t at) const {
        const std::size_t start = lineStart(at);
        return std::all_of(text_.begin() + start, text_.begin() + at, isBlank);
    }

    std::string lineIndent(std::size_t at) const {
        std::size_t end = lineStart(at);
        const std::size_t start = end;
        while (end < at && isBlank(text_[end])) ++end;
        return std::string(text_.substr(start, end - start));
    }

    void editContainer(std::size_t open, const json& current, const json& intended,
                       const std::optional<EarlierPlace>& earlier) {
        const JsonContainerSpan span = outlineJsonContainer(text_, open);
        // Emptied again where it was empty before: its inside comes back as
        // written ("{ }", a comment in it).
        const bool wasEmptyAlike = earlier && earlier->value->empty() &&
                                   ((earlier->value->is_object() && intended.is_object()) ||
                                    (earlier->value->is_array() && intended.is_array()));
        if (intended.empty() && wasEmptyAlike) {
            const std::string_view before = earlier->document->text();
            const JsonContainerSpan was = outlineJsonContainer(before, earlier->start);
            edits_.push_back({span.open + 1, span.close,
                              std::string(before.substr(was.open + 1, was.close - was.open - 1))});
            return;
        }
        const bool oneLine = text_.substr(open, span.close - open).find_first_of("\r\n") == npos;
        std::vector<bool> removed(span.items.size(), false);
        std::vector<Addition> added;
        std::optional<JsonContainerSpan> earlierSpan;
        const auto earlierItem = [&](const std::string& key) -> const JsonItemSpan* {
            if (!earlier || !earlier->value->is_object() || !earlier->value->contains(key)) {
                return nullptr;
            }
            if (!earlierSpan) {
                earlierSpan = outlineJsonContainer(earlier->document->text(), earlier->start);
            }
            const auto& items = earlierSpan->items;
            const auto found =
                std::find_if(items.rbegin(), items.rend(),
                             [&](const JsonItemSpan& item) { return item.key == key; });
            return found == items.rend() ? nullptr : &*found;
        };
        // A value the earlier document held here comes back as it was written.
        const auto earlierText = [&](const std::string& key,
                                     const json& value) -> std::optional<std::string> {
            const JsonItemSpan* before = earlierItem(key);
            if (before == nullptr || !sameJsonValue(earlier->value->at(key), value)) {
                return std::nullopt;
            }
            return std::string(earlier->document->text().substr(
                before->valueStart, before->valueEnd - before->valueStart));
        };

        if (current.is_object()) {
            for (std::size_t i = 0; i < span.items.size(); ++i) {
                const JsonItemSpan& item = span.items[i];
                const auto wanted = intended.find(item.key);
                if (wanted == intended.end()) {
                    removed[i] = true;
                    continue;
                }
                // With a key written twice, the last one is the value.
                const bool shadowed = std::any_of(
                    span.items.begin() + static_cast<std::ptrdiff_t>(i) + 1, span.items.end(),
                    [&](const JsonItemSpan& later) { return later.key == item.key; });
                if (shadowed) continue;
                const json& now = current.at(item.key);
                if (sameJsonValue(now, *wanted)) continue;
                if (auto text = earlierText(item.key, *wanted)) {
                    edits_.push_back({item.valueStart, item.valueEnd, std::move(*text)});
                    continue;
                }
                std::optional<EarlierPlace> child;
                if (const JsonItemSpan* before = earlierItem(item.key)) {
                    child = EarlierPlace{earlier->document, &earlier->value->at(item.key),
                                         before->valueStart};
                }
                editValue(item.valueStart, now, *wanted, child, oneLine);
            }
            for (auto entry = intended.begin(); entry != intended.end(); ++entry) {
                if (!current.contains(entry.key())) {
                    added.push_back(
                        {entry.key(), &entry.value(), earlierText(entry.key(), entry.value())});
                }
            }
        } else {
            std::size_t next = 0;
            for (std::size_t i = 0; i < span.items.size(); ++i) {
                if (next < intended.size() && sameJsonValue(current[i], intended[next])) {
                    ++next;
                } else {
                    removed[i] = true;
                }
            }
            for (; next < intended.size(); ++next) added.push_back({"", &intended[next], {}});
        }
        layout(span, current.is_object(), removed, added, oneLine);
    }

    // The bytes an item takes up, with its comma; its whole line when it
    // stands alone on it.
    std::pair<std::size_t, std::size_t> extent(const JsonItemSpan& item,
                                               bool* wholeLine = nullptr) const {
        const std::size_t end = item.end();
        std::size_t after = end;
        while (after < text_.size() && isBlank(text_[after])) ++after;
        const bool lineEnds = after >= text_.size() || text_[after] == '\n' || text_[after] == '\r';
        if (leadsLine(item.start) && lineEnds && after < text_.size()) {
            if (wholeLine != nullptr) *wholeLine = true;
            const std::size_t lineEnd =
                text_[after] == '\r' && after + 1 < text_.size() && text_[after + 1] == '\n'
                    ? after + 2
                    : after + 1;
            return {lineStart(item.start), lineEnd};
        }
        if (wholeLine != nullptr) *wholeLine = false;
        if (item.comma != npos && !lineEnds) return {item.start, after};
        return {item.start, end};
    }

    void remove(const JsonItemSpan& item) {
        const auto [start, end] = extent(item);
        edits_.push_back({start, end, ""});
    }

    // Where a new item goes after the one that ends at `after`: the end of
    // that line (past a comment on it), else right after it.
    std::size_t insertionPoint(std::size_t after) const {
        std::size_t at = after;
        for (;;) {
            while (at < text_.size() && isBlank(text_[at])) ++at;
            if (text_.compare(at, 2, "//") == 0)
                return text_.find_first_of("\r\n", at) == npos ? text_.size()
                                                               : text_.find_first_of("\r\n", at);
            if (text_.compare(at, 2, "/*") != 0) break;
            const std::size_t close = text_.find("*/", at + 2);
            if (close == npos || text_.substr(at, close - at).find_first_of("\r\n") != npos) {
                return after;
            }
            at = close + 2;
        }
        return at < text_.size() && (text_[at] == '\n' || text_[at] == '\r') ? at : after;
    }

    // Only white space and commas around the items: nothing of the user's
    // would be lost by rewriting the inside of the container.
    bool onlyItemsInside(const JsonContainerSpan& span) const {
        std::size_t from = span.open + 1;
        const auto plain = [&](std::size_t to) {
            return text_.substr(from, to - from).find_first_not_of(" \t\r\n,") == npos;
        };
        for (const JsonItemSpan& item : span.items) {
            if (!plain(item.start)) return false;
            from = item.end();
        }
        return plain(span.close);
    }

    std::string itemIndent(const JsonContainerSpan& span, std::size_t last) const {
        if (last != npos && leadsLine(span.items[last].start)) {
            return lineIndent(span.items[last].start);
        }
        for (const JsonItemSpan& item : span.items) {
            if (leadsLine(item.start)) return lineIndent(item.start);
        }
        return lineIndent(span.open) + style_.indentUnit;
    }

    void layout(const JsonContainerSpan& span, bool object, const std::vector<bool>& removed,
                const std::vector<Addition>& added, bool oneLine) {
        const auto& items = span.items;
        const std::size_t count = items.size();
        std::size_t last = npos;
        for (std::size_t i = 0; i < count; ++i) {
            if (!removed[i]) last = i;
        }
        const bool trailingComma = count > 0 && items[count - 1].comma != npos;
        const auto addedText = [&](const std::string& indent, bool inlineItems) {
            std::string text;
            for (std::size_t k = 0; k < added.size(); ++k) {
                text += inlineItems ? std::string(" ") : style_.newline + indent;
                text += addedItem(object, added[k], indent, inlineItems);
                if (k + 1 < added.size() || trailingComma) text += ',';
            }
            return text;
        };

        if (last == npos) {
            if (count == 0 && added.empty()) return;
            const std::string indent = itemIndent(span, npos);
            if (onlyItemsInside(span)) {
                // An empty container opens onto lines of its own.
                std::string inside;
                if (!added.empty())
                    inside = addedText(indent, false) + style_.newline + lineIndent(span.open);
                edits_.push_back({span.open + 1, span.close, inside});
                return;
            }
            for (const JsonItemSpan& item : items) remove(item);
            if (!added.empty())
                edits_.push_back({span.open + 1, span.open + 1, addedText(indent, false)});
            return;
        }
        for (std::size_t i = 0; i < last; ++i) {
            if (removed[i]) remove(items[i]);
        }
        const JsonItemSpan& kept = items[last];
        bool wholeLines = true;
        for (std::size_t i = last + 1; i < count; ++i) {
            bool line = false;
            extent(items[i], &line);
            wholeLines = wholeLines && line;
        }
        // What follows the last kept item goes: line by line when each stood
        // alone, else as one run from the kept item's comma.
        std::optional<std::size_t> insertAt;
        if (last + 1 < count && wholeLines) {
            for (std::size_t i = last + 1; i < count; ++i) remove(items[i]);
            if (!trailingComma && added.empty()) edits_.push_back({kept.comma, kept.comma + 1, ""});
        } else if (last + 1 < count) {
            const bool keepComma = trailingComma || !added.empty();
            const std::size_t from = keepComma ? kept.comma + 1 : kept.valueEnd;
            edits_.push_back({from, items[count - 1].end(), ""});
            insertAt = from;
        }
        if (added.empty()) return;
        if (kept.comma == npos) edits_.push_back({kept.valueEnd, kept.valueEnd, ","});
        const std::size_t at =
            insertAt.value_or(insertionPoint(kept.comma == npos ? kept.valueEnd : kept.comma + 1));
        edits_.push_back({at, at, addedText(itemIndent(span, last), oneLine)});
    }

    std::string addedItem(bool object, const Addition& addition, const std::string& indent,
                          bool oneLine) const {
        std::string text = object ? quotedJsonKey(addition.key) + ": " : std::string();
        return text +
               addition.earlierText.value_or(renderJson(*addition.value, style_, indent, oneLine));
    }
};

}  // namespace

bool sameJsonValue(const json& a, const json& b) {
    if (a.is_object() || b.is_object()) {
        if (!a.is_object() || !b.is_object() || a.size() != b.size()) return false;
        // Both hold their members sorted by key: one pass side by side.
        auto other = b.begin();
        for (auto entry = a.begin(); entry != a.end(); ++entry, ++other) {
            if (entry.key() != other.key() || !sameJsonValue(entry.value(), other.value())) {
                return false;
            }
        }
        return true;
    }
    if (a.is_array() || b.is_array()) {
        if (!a.is_array() || !b.is_array() || a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (!sameJsonValue(a[i], b[i])) return false;
        }
        return true;
    }
    if (a.is_number_float() && b.is_number_float() && std::isnan(a.get<double>()) &&
        std::isnan(b.get<double>())) {
        return true;
    }
    return a == b;
}

EditableJson::EditableJson(Bytes text) : text_(std::move(text)), value_(parseJson5(text_)) {}

Bytes EditableJson::textHolding(const json& intended, const EditableJson* earlier) const {
    JsonEditor editor(text_, detectJsonStyle(text_));
    std::optional<EarlierPlace> place;
    if (earlier != nullptr)
        place = EarlierPlace{earlier, &earlier->value(), jsonRootStart(earlier->text())};
    editor.editValue(jsonRootStart(text_), value_, intended, place, false);
    Bytes edited = editor.result();
    bool holdsIntended = false;
    try {
        holdsIntended = sameJsonValue(parseJson5(edited), intended);
    } catch (const Json5ParseError&) {
    }
    if (!holdsIntended) throw EditCheckFailed(translated("files.edit.does-not-read-back"));
    return edited;
}

Bytes jsonConfigurationText(const std::optional<EditableJson>& document, const json& intended,
                            const std::optional<EditableJson>& earlier) {
    if (!document) return prettyJSON(intended);
    return document->textHolding(intended, earlier ? &*earlier : nullptr);
}

std::optional<EditableJson> editableJson(const std::optional<Bytes>& data) {
    if (!data) return std::nullopt;
    return EditableJson(*data);
}

json jsonObject(const std::optional<EditableJson>& document) {
    if (!document) return json::object();
    if (!document->value().is_object()) throw SetupError(translated("files.config.not-an-object"));
    return document->value();
}

}  // namespace corvane
