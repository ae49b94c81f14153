#include "clients/hermes/hermes_model_block.h"

#include <algorithm>
#include <map>
#include <vector>

#include "model/text.h"

namespace corvane {
namespace {

using nlohmann::json;
constexpr std::size_t npos = std::string_view::npos;

struct Line {
    std::size_t start;
    std::size_t end;   // before the line ending
    std::size_t next;  // after it
};

std::size_t indentation(std::string_view line) {
    const std::size_t first = line.find_first_not_of(' ');
    return first == npos ? line.size() : first;
}

bool isBlankOrComment(std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t");
    return first == npos || line[first] == '#';
}

// "- item": a sequence entry, which YAML lets stand at its key's own
// indentation (PyYAML writes lists so).
bool isSequenceEntry(std::string_view line) {
    return line.starts_with('-') && (line.size() == 1 || line[1] == ' ');
}

// The key of a "key: value" line (the line without its indentation), when it
// is a plain or simply quoted key.
std::optional<std::string> mappingKey(std::string_view line) {
    if (line.empty() || std::string_view("{[-?!&*%|>@`,#").find(line[0]) != npos) {
        return std::nullopt;
    }
    if (line[0] == '"' || line[0] == '\'') {
        const std::size_t close = line.find(line[0], 1);
        if (close == npos || line.substr(1, close).find('\\') != npos ||
            line.substr(close + 1, 1) != ":") {
            return std::nullopt;
        }
        return std::string(line.substr(1, close - 1));
    }
    for (std::size_t colon = line.find(':'); colon != npos; colon = line.find(':', colon + 1)) {
        if (colon + 1 == line.size() || line[colon + 1] == ' ') {
            std::string_view key = line.substr(0, colon);
            while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
            return std::string(key);
        }
    }
    return std::nullopt;
}

// What follows "key:" on its line, without a comment and spaces.
std::string_view inlineValue(std::string_view line) {
    std::string_view rest = line.substr(line.find(':') + 1);
    const std::size_t comment = rest.find(" #");
    if (comment != npos) rest = rest.substr(0, comment);
    const std::size_t first = rest.find_first_not_of(' ');
    if (first == npos) return {};
    rest = rest.substr(first);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.remove_suffix(1);
    return rest;
}

std::string plainOrQuotedKey(const std::string& key) {
    const bool plain = !key.empty() && key.find_first_not_of(
                                           "abcdefghijklmnopqrstuvwxyz"
                                           "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                           "0123456789_") == npos;
    return plain ? key : json(key).dump();
}

// A JSON value is a YAML flow value; JSON strings read as YAML double-quoted
// strings.
std::string field(const std::string& indent, const std::string& key, const json& value,
                  const std::string& newline) {
    return indent + plainOrQuotedKey(key) + ": " + value.dump() + newline;
}

// A block-style YAML document and its top-level "model" entry.
class ModelBlock {
public:
    static std::optional<ModelBlock> read(std::string_view text) {
        ModelBlock block(text);
        if (!block.readLines()) return std::nullopt;
        return block;
    }

    // The entry's lines as written, each with its line ending.
    std::vector<std::string> entryLines() const {
        std::vector<std::string> lines;
        if (!model_) return lines;
        for (std::size_t i = *model_; i < entryEnd_; ++i) {
            lines.emplace_back(text_.substr(lines_[i].start, lines_[i].next - lines_[i].start));
        }
        return lines;
    }

    // The text with the entry replaced by `entry`, added at the end when
    // there is none, or taken out when `entry` is empty.
    std::string withEntry(std::string entry) const {
        std::string result(byteOrderMark_);
        if (!model_ && documentEnd_) {
            // A new entry goes inside the document, before its end marker.
            const std::size_t at = lines_[*documentEnd_].start;
            result.append(text_.substr(0, at));
            if (!entry.ends_with('\n')) entry += newline_;
            return result + entry + std::string(text_.substr(at));
        }
        if (!model_) {
            result.append(text_);
            // A file without a final newline keeps going without one.
            if (!entry.empty() && !text_.empty() && !text_.ends_with('\n')) {
                result += newline_;
                if (entry.ends_with(newline_)) entry.resize(entry.size() - newline_.size());
            }
            return result + entry;
        }
        const std::size_t from = lines_[*model_].start;
        const std::size_t to = entryEnd_ < lines_.size() ? lines_[entryEnd_].start : text_.size();
        const bool atEnd = to == text_.size() && !text_.ends_with('\n');
        if (entry.empty() && atEnd && *model_ > 0) {
            // The line break before an entry that ended the file goes with it.
            result.append(text_.substr(0, lines_[*model_ - 1].end));
            return result;
        }
        if (!entry.empty() && !atEnd && !entry.ends_with('\n')) entry += newline_;
        if (atEnd && entry.ends_with(newline_)) entry.resize(entry.size() - newline_.size());
        result.append(text_.substr(0, from));
        result += entry;
        result.append(text_.substr(to));
        return result;
    }

    const std::string& newline() const { return newline_; }
    const std::string& childIndent() const { return childIndent_; }

    // The model's fields when it is a block mapping, each with the index of
    // its first line in entryLines() and one past its last.
    struct Field {
        std::string key;
        std::size_t first;
        std::size_t end;
    };
    std::optional<std::vector<Field>> fields() const {
        if (!model_ || !inlineValue(lineText(*model_)).empty()) return std::nullopt;
        std::vector<Field> fields;
        for (std::size_t i = *model_ + 1; i < entryEnd_; ++i) {
            const std::string_view line = lineText(i);
            if (isBlankOrComment(line)) continue;
            const std::size_t depth = indentation(line);
            const std::size_t index = i - *model_;
            if (depth > childIndent_.size() && !fields.empty()) {
                fields.back().end = index + 1;
                continue;
            }
            if (depth == childIndent_.size() && isSequenceEntry(line.substr(depth)) &&
                !fields.empty()) {
                fields.back().end = index + 1;
                continue;
            }
            const auto key =
                depth == childIndent_.size() ? mappingKey(line.substr(depth)) : std::nullopt;
            if (!key) return std::nullopt;
            fields.push_back({*key, index, index + 1});
        }
        return fields;
    }

private:
    explicit ModelBlock(std::string_view text) {
        const auto [mark, body] = splitByteOrderMark(text);
        byteOrderMark_ = mark;
        text_ = body;
    }

    std::string_view byteOrderMark_;
    std::string_view text_;
    std::vector<Line> lines_;
    std::optional<std::size_t> model_;
    std::optional<std::size_t> documentEnd_;  // the "..." line
    std::size_t entryEnd_ = 0;
    std::string newline_ = "\n";
    std::string childIndent_ = "  ";

    std::string_view lineText(std::size_t i) const {
        return text_.substr(lines_[i].start, lines_[i].end - lines_[i].start);
    }

    void splitLines() {
        for (std::size_t start = 0; start < text_.size();) {
            const std::size_t newline = text_.find('\n', start);
            const std::size_t next = newline == npos ? text_.size() : newline + 1;
            std::size_t end = newline == npos ? text_.size() : newline;
            if (end > start && text_[end - 1] == '\r') --end;
            lines_.push_back({start, end, next});
            start = next;
        }
        if (!lines_.empty() && lines_[0].next > lines_[0].end + 1) newline_ = "\r\n";
    }

    // Every top-level line must be a plain "key: value" (or the document
    // start); the model entry runs over the indented lines below its key.
    bool readLines() {
        splitLines();
        bool indentSeen = false;
        std::optional<std::string> lastKey;
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            const std::string_view line = lineText(i);
            if (isBlankOrComment(line)) continue;
            // Nothing but comments may follow the document's end.
            if (documentEnd_) return false;
            if (line == "...") {
                documentEnd_ = i;
                continue;
            }
            if (line[0] == '\t') return false;
            if (isSequenceEntry(line)) {
                // The list of the key above; a model given as a list is not
                // one the tool edits.
                if (!lastKey || *lastKey == "model") return false;
                continue;
            }
            if (line[0] == ' ') {
                if (!indentSeen) childIndent_.assign(indentation(line), ' ');
                indentSeen = true;
                continue;
            }
            if (line == "---" && i == 0) continue;
            const auto key = mappingKey(line);
            if (!key) return false;
            lastKey = key;
            if (*key != "model") continue;
            if (model_) return false;
            const std::string_view value = inlineValue(line);
            if (!value.empty() && std::string_view("{[&*!|>").find(value[0]) != npos) {
                return false;
            }
            model_ = i;
        }
        if (!model_) return true;
        entryEnd_ = *model_ + 1;
        bool childSeen = false;
        for (std::size_t i = *model_ + 1; i < lines_.size(); ++i) {
            const std::string_view line = lineText(i);
            if (isBlankOrComment(line)) continue;
            if (line[0] != ' ') break;
            if (!childSeen) childIndent_.assign(indentation(line), ' ');
            childSeen = true;
            entryEnd_ = i + 1;
        }
        return true;
    }
};

std::string wholeEntry(const json& model, const std::string& indent, const std::string& newline) {
    if (!model.is_object() || model.empty()) return "model: " + model.dump() + newline;
    std::string entry = "model:" + newline;
    for (auto member = model.begin(); member != model.end(); ++member) {
        entry += field(indent, member.key(), member.value(), newline);
    }
    return entry;
}

// The entry's lines with only the fields that differ replaced, taken out or
// added after the last field.
std::optional<std::string> editedFields(const ModelBlock& block, const json& current,
                                        const json& intended) {
    const auto fields = block.fields();
    if (!fields || fields->empty()) return std::nullopt;
    std::vector<std::string> lines = block.entryLines();
    std::vector<bool> dropped(lines.size(), false);
    for (const auto& f : *fields) {
        const auto wanted = intended.find(f.key);
        const auto now = current.find(f.key);
        if (wanted != intended.end() && now != current.end() && *wanted == *now) continue;
        for (std::size_t i = f.first; i < f.end; ++i) dropped[i] = true;
        if (wanted != intended.end()) {
            lines[f.first] = field(block.childIndent(), f.key, *wanted, block.newline());
            dropped[f.first] = false;
        }
    }
    std::string added;
    for (auto member = intended.begin(); member != intended.end(); ++member) {
        const bool written = std::any_of(fields->begin(), fields->end(),
                                         [&](const auto& f) { return f.key == member.key(); });
        if (!written)
            added += field(block.childIndent(), member.key(), member.value(), block.newline());
    }
    std::string entry;
    const std::size_t lastField = fields->back().end;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!dropped[i]) entry += lines[i];
        if (i + 1 == lastField && !added.empty()) {
            if (!entry.ends_with('\n')) entry += block.newline();
            entry += added;
        }
    }
    return entry;
}

// A one-line scalar as it reads: plain, single-quoted ('' is a quote) or
// double-quoted (read by the JSON rules, which cover what this tool writes).
// Nothing for anything else.
std::optional<std::string> scalarText(std::string_view value) {
    if (value.empty() || value == "~" || value == "null") return std::nullopt;
    if (value.front() == '"') {
        const json parsed = json::parse(value, nullptr, false);
        if (parsed.is_string()) return parsed.get<std::string>();
        return std::nullopt;
    }
    if (value.front() == '\'') {
        if (value.size() < 2 || value.back() != '\'') return std::nullopt;
        std::string text;
        const std::string_view inner = value.substr(1, value.size() - 2);
        for (std::size_t i = 0; i < inner.size(); ++i) {
            if (inner[i] == '\'' && (i + 1 == inner.size() || inner[++i] != '\'')) {
                return std::nullopt;
            }
            text += inner[i];
        }
        return text;
    }
    if (std::string_view("{[&*!|>%@`").find(value.front()) != npos) return std::nullopt;
    return std::string(value);
}

}  // namespace

std::map<std::string, std::string> yamlModelStrings(std::string_view text) {
    std::map<std::string, std::string> strings;
    const auto block = ModelBlock::read(text);
    const auto fields = block ? block->fields() : std::nullopt;
    if (!fields) return strings;
    const std::vector<std::string> lines = block->entryLines();
    for (const auto& f : *fields) {
        if (f.end != f.first + 1) continue;
        std::string_view line = lines[f.first];
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        if (auto value = scalarText(inlineValue(line))) strings[f.key] = *value;
    }
    return strings;
}

std::optional<std::string> yamlWithModel(std::string_view text, const json* current,
                                         const json* intended) {
    const auto block = ModelBlock::read(text);
    if (!block) return std::nullopt;
    if (intended == nullptr) return block->withEntry("");
    if (current != nullptr && current->is_object() && intended->is_object() && !intended->empty()) {
        if (auto entry = editedFields(*block, *current, *intended)) return block->withEntry(*entry);
    }
    return block->withEntry(wholeEntry(*intended, block->childIndent(), block->newline()));
}

std::optional<std::string> yamlWithEarlierModel(std::string_view text, std::string_view earlier) {
    const auto block = ModelBlock::read(text);
    const auto earlierBlock = ModelBlock::read(earlier);
    if (!block || !earlierBlock) return std::nullopt;
    std::string entry;
    for (const std::string& line : earlierBlock->entryLines()) entry += line;
    return block->withEntry(entry);
}

}  // namespace corvane
