#include "clients/codex/codex_config_document.h"

#include <algorithm>
#include <iterator>
#include <nlohmann/json.hpp>

#include "clients/codex/codex_files.h"
#include "model/messages.h"
#include "model/text.h"

namespace corvane {
namespace {

constexpr std::string_view kProviderTable = "model_providers";
constexpr std::string_view kProviderID = "corvane_desktop_setup";
constexpr std::string_view kOwnedTableHeader = "[model_providers.corvane_desktop_setup]";
constexpr std::string_view kOwnedHeadersHeader =
    "[model_providers.corvane_desktop_setup.http_headers]";

// Length of the UTF-8 character that starts at `offset`; a stray byte counts
// as one character.
std::size_t characterLength(std::string_view text, std::size_t offset) {
    const auto lead = static_cast<unsigned char>(text[offset]);
    const std::size_t expected = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::size_t length = 1;
    while (length < expected && offset + length < text.size() &&
           (static_cast<unsigned char>(text[offset + length]) & 0xC0) == 0x80) {
        ++length;
    }
    return length;
}

// What is still open at the end of a physical line: a multi-line string and
// the brackets and braces outside strings. Single-line strings end with their
// line, so they are never carried over.
struct TOMLValueState {
    std::optional<char> quote;
    std::size_t depth = 0;

    bool isOpen() const { return quote.has_value() || depth != 0; }

    // Scans one line and returns where its comment starts, if it has one.
    std::optional<std::size_t> consume(std::string_view line);
};

std::optional<std::size_t> TOMLValueState::consume(std::string_view line) {
    const auto tripled = [line](std::size_t i, char delimiter) {
        return i + 2 < line.size() && line[i] == delimiter && line[i + 1] == delimiter &&
               line[i + 2] == delimiter;
    };
    char single = 0;  // delimiter of an open single-line string, 0 when none
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (quote || single != 0) {
            const char delimiter = quote ? *quote : single;
            if (c == '\\' && delimiter == '"') {
                ++i;
                if (i < line.size()) i += characterLength(line, i);
            } else if (quote && tripled(i, delimiter)) {
                // A closing run may be longer than three: the extra
                // delimiters belong to the string.
                while (i < line.size() && line[i] == delimiter) ++i;
                quote.reset();
            } else {
                if (!quote && c == single) single = 0;
                ++i;
            }
            continue;
        }
        switch (c) {
            case '#':
                return i;
            case '"':
            case '\'':
                if (tripled(i, c)) {
                    quote = c;
                    i += 3;
                    continue;
                }
                single = c;
                break;
            case '[':
            case '{':
                ++depth;
                break;
            case ']':
            case '}':
                if (depth > 0) --depth;
                break;
            default:
                break;
        }
        ++i;
    }
    return std::nullopt;
}

// The text before its comment, if any.
std::string_view uncommented(std::string_view text) {
    TOMLValueState state;
    const auto comment = state.consume(text);
    return comment ? text.substr(0, *comment) : text;
}

// Splits at `separator` the way the key tests need it: empty pieces are
// dropped and do not count as splits; after `maxSplits` kept pieces the rest
// of the text, separators included, is the last piece.
std::vector<std::string_view> splitOmittingEmpty(std::string_view text, char separator,
                                                 std::size_t maxSplits) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size() && pieces.size() < maxSplits; ++i) {
        if (text[i] != separator) continue;
        if (i > start) pieces.push_back(text.substr(start, i - start));
        start = i + 1;
    }
    if (start < text.size()) pieces.push_back(text.substr(start));
    return pieces;
}

std::optional<std::string> decodedJSONString(std::string_view literal) {
    const nlohmann::json value = nlohmann::json::parse(literal, nullptr, false);
    if (!value.is_string()) return std::nullopt;
    return value.get<std::string>();
}

std::optional<std::string> tableHeader(std::string_view entry) {
    if (entry.find('\n') != std::string_view::npos) return std::nullopt;
    const std::string text = trimmed(uncommented(entry));
    const std::string_view view = text;
    if (view.starts_with("[[") && view.ends_with("]]")) {
        return std::string(view.substr(2, view.size() - 4));
    }
    if (view.starts_with("[") && view.ends_with("]")) {
        return std::string(view.substr(1, view.size() - 2));
    }
    return std::nullopt;
}

std::string unquotedKey(std::string_view text) {
    std::string key = trimmed(text);
    if (key.size() > 1 && key.front() == '\'' && key.back() == '\'') {
        return key.substr(1, key.size() - 2);
    }
    if (!key.empty() && key.front() == '"') {
        if (auto decoded = decodedJSONString(key)) return *decoded;
    }
    return key;
}

// `text` split at the dots outside quotes, each piece trimmed and unquoted.
std::vector<std::string> dottedKey(std::string_view text) {
    std::vector<std::string> pieces;
    char quote = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || (quote == 0 && text[i] == '.')) {
            pieces.push_back(unquotedKey(text.substr(start, i - start)));
            start = i + 1;
        } else if (quote == 0 && (text[i] == '"' || text[i] == '\'')) {
            quote = text[i];
        } else if (quote == '"' && text[i] == '\\') {
            ++i;
        } else if (text[i] == quote) {
            quote = 0;
        }
    }
    return pieces;
}

// The key an entry assigns, as its dotted pieces; empty for a comment, a blank
// line or anything that assigns nothing.
std::vector<std::string> assignedKey(std::string_view entry) {
    const std::string_view live = uncommented(entry.substr(0, entry.find('\n')));
    char quote = 0;
    for (std::size_t i = 0; i < live.size(); ++i) {
        if (quote == 0 && live[i] == '=') return dottedKey(live.substr(0, i));
        if (quote == 0 && (live[i] == '"' || live[i] == '\'')) {
            quote = live[i];
        } else if (quote == '"' && live[i] == '\\') {
            ++i;
        } else if (live[i] == quote) {
            quote = 0;
        }
    }
    return {};
}

bool liesInOwnedProvider(const std::vector<std::string>& path) {
    return path.size() >= 2 && path[0] == kProviderTable && path[1] == kProviderID;
}

std::string joinedKey(const std::vector<std::string>& path) {
    std::string text;
    for (const auto& piece : path) text += (text.empty() ? "" : ".") + piece;
    return text;
}

}  // namespace

CodexConfigDocument::CodexConfigDocument(std::string_view text) {
    const auto add = [this](std::string_view entry, bool mayBeHeader) {
        if (mayBeHeader && tableHeader(entry)) {
            sections.push_back({std::string(entry)});
        } else if (sections.empty()) {
            root.emplace_back(entry);
        } else {
            sections.back().emplace_back(entry);
        }
    };
    // Pending lines are always contiguous, so an entry is one slice of the
    // text from `entryStart`.
    TOMLValueState state;
    std::size_t entryStart = 0;
    std::size_t lineStart = 0;
    bool pending = false;
    while (true) {
        const std::size_t newline = text.find('\n', lineStart);
        const std::size_t lineEnd = newline == std::string_view::npos ? text.size() : newline;
        state.consume(text.substr(lineStart, lineEnd - lineStart));
        pending = state.isOpen();
        if (!pending) {
            add(text.substr(entryStart, lineEnd - entryStart), true);
            entryStart = lineEnd + 1;
        }
        if (newline == std::string_view::npos) break;
        lineStart = newline + 1;
    }
    if (pending) add(text.substr(entryStart), false);
    endsOpen = pending;
}

bool CodexConfigDocument::isSafelyReadable(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) return false;
    for (std::size_t at = text.find('\r'); at != std::string_view::npos;
         at = text.find('\r', at + 1)) {
        if (at + 1 >= text.size() || text[at + 1] != '\n') return false;
    }
    return !CodexConfigDocument(text).endsOpen;
}

namespace {

bool isBlank(const std::string& entry) { return entry.empty() || entry == "\r"; }

}  // namespace

void CodexConfigDocument::trimBlankEnds() {
    while (!root.empty() && isBlank(root.front())) root.erase(root.begin());
    // A section starts with its header, which is never blank.
    std::vector<std::string>& last = sections.empty() ? root : sections.back();
    while (!last.empty() && isBlank(last.back())) last.pop_back();
}

void CodexConfigDocument::dropOwnedTables() {
    const auto isNote = [](const std::string& entry) {
        const std::size_t start = entry.find_first_not_of(" \t\r");
        return start == std::string::npos || entry[start] == '#';
    };
    std::vector<std::vector<std::string>> kept;
    for (auto& section : sections) {
        if (!isOwnedHeader(section.front())) {
            kept.push_back(std::move(section));
            continue;
        }
        auto notes = section.end();
        while (notes - 1 != section.begin() && isNote(*(notes - 1))) --notes;
        std::vector<std::string>& before = kept.empty() ? root : kept.back();
        // The blank line the tool wrote in front of its table goes with it
        // when the user's own lines bring their blank line.
        if (notes != section.end() && isBlank(*notes)) {
            while (!before.empty() && isBlank(before.back())) before.pop_back();
        }
        before.insert(before.end(), std::make_move_iterator(notes),
                      std::make_move_iterator(section.end()));
    }
    sections = std::move(kept);
}

std::string CodexConfigDocument::rendered() const {
    std::size_t size = 0;
    for (const auto& entry : root) size += entry.size() + 1;
    for (const auto& section : sections) {
        for (const auto& entry : section) size += entry.size() + 1;
    }
    std::string text;
    text.reserve(size);
    bool first = true;
    const auto append = [&](const std::string& entry) {
        if (!first) text += '\n';
        first = false;
        text += entry;
    };
    for (const auto& entry : root) append(entry);
    for (const auto& section : sections) {
        for (const auto& entry : section) append(entry);
    }
    return text;
}

std::optional<std::string> CodexConfigDocument::rootValue(std::string_view entry,
                                                          std::string_view key) {
    const auto pieces = splitOmittingEmpty(entry, '=', 1);
    if (pieces.size() != 2 || unquotedKey(pieces[0]) != key) return std::nullopt;
    return trimmed(uncommented(pieces[1]));
}

bool CodexConfigDocument::isModelBinding(std::string_view entry) {
    return rootValue(entry, "model") || rootValue(entry, "model_provider");
}

bool CodexConfigDocument::isOwnedHeader(std::string_view entry) {
    const auto name = tableHeader(entry);
    if (!name) return false;
    const auto pieces = splitOmittingEmpty(*name, '.', 2);
    return pieces.size() >= 2 && unquotedKey(pieces[0]) == kProviderTable &&
           unquotedKey(pieces[1]) == kProviderID;
}

bool CodexConfigDocument::hasOwnedProvider() const {
    for (const auto& section : sections) {
        if (isOwnedHeader(section.front())) return true;
    }
    return false;
}

bool CodexConfigDocument::selectsOwnedProvider() const {
    const std::string doubleQuoted = "\"" + std::string(kProviderID) + "\"";
    const std::string singleQuoted = "'" + std::string(kProviderID) + "'";
    for (const auto& entry : root) {
        const auto value = rootValue(entry, "model_provider");
        if (value && (value->starts_with(doubleQuoted) || value->starts_with(singleQuoted))) {
            return true;
        }
    }
    return false;
}

bool CodexConfigDocument::selectsOwnedCatalog() const {
    const std::string catalog = codexModelCatalogURL().string();
    for (const auto& entry : root) {
        const auto value = rootValue(entry, "model_catalog_json");
        if (!value) continue;
        if (*value == "'" + catalog + "'" || decodedJSONString(*value) == catalog) return true;
    }
    return false;
}

bool CodexConfigDocument::namesOwnedProvider() const {
    if (selectsOwnedProvider()) return true;
    for (const auto& entry : root) {
        if (liesInOwnedProvider(assignedKey(entry))) return true;
    }
    for (const auto& section : sections) {
        const std::vector<std::string> table = dottedKey(*tableHeader(section.front()));
        if (liesInOwnedProvider(table)) return true;
        for (auto entry = section.begin() + 1; entry != section.end(); ++entry) {
            std::vector<std::string> path = table;
            const std::vector<std::string> key = assignedKey(*entry);
            path.insert(path.end(), key.begin(), key.end());
            if (!key.empty() && liesInOwnedProvider(path)) return true;
        }
    }
    return false;
}

std::optional<std::string> CodexConfigDocument::tableClash() const {
    for (const auto& entry : root) {
        if (liesInOwnedProvider(assignedKey(entry))) {
            return translated("clients.codex.table-clash.key",
                              {{"key", joinedKey(assignedKey(entry))}});
        }
    }
    std::vector<std::string> declared;
    for (const auto& section : sections) {
        const std::string header = trimmed(uncommented(section.front()));
        const std::vector<std::string> table = dottedKey(*tableHeader(section.front()));
        if (liesInOwnedProvider(table)) {
            // The tool's own tables, spelt as the writer spells them.
            if (header == kOwnedTableHeader || header == kOwnedHeadersHeader) continue;
            return translated("clients.codex.table-clash.table", {{"table", header}});
        }
        if (!header.starts_with("[[")) {
            const std::string name = joinedKey(table);
            if (std::find(declared.begin(), declared.end(), name) != declared.end()) {
                return translated("clients.codex.table-clash.declared-twice", {{"table", name}});
            }
            declared.push_back(name);
        }
        for (auto entry = section.begin() + 1; entry != section.end(); ++entry) {
            std::vector<std::string> path = table;
            const std::vector<std::string> key = assignedKey(*entry);
            path.insert(path.end(), key.begin(), key.end());
            if (!key.empty() && liesInOwnedProvider(path)) {
                return translated("clients.codex.table-clash.key", {{"key", joinedKey(path)}});
            }
        }
    }
    return std::nullopt;
}

}  // namespace corvane
