#include "files/json_style.h"

#include <algorithm>
#include <cmath>

#include "files/json_text.h"
#include "model/messages.h"

namespace corvane {
namespace {

// Enough lines to know a file's habit without reading a large one through.
constexpr std::size_t kStyleSampleLines = 2000;
constexpr std::size_t kWidestUnit = 8;

void render(std::string& out, const nlohmann::json& value, const JsonStyle& style,
            const std::string& indent, bool oneLine) {
    if (!value.is_structured()) {
        if (value.is_number_float() && !std::isfinite(value.get<double>())) {
            throw JsonWriteError(translated("files.json.non-finite"));
        }
        out += value.dump();
        return;
    }
    const bool object = value.is_object();
    out += object ? '{' : '[';
    if (value.empty()) {
        out += object ? '}' : ']';
        return;
    }
    const std::string inner = indent + style.indentUnit;
    bool first = true;
    for (auto entry = value.begin(); entry != value.end(); ++entry) {
        if (!first) out += ',';
        first = false;
        if (oneLine) {
            if (out.back() == ',') out += ' ';
        } else {
            out += style.newline;
            out += inner;
        }
        if (object) {
            out += quotedJsonKey(entry.key());
            out += ": ";
        }
        render(out, entry.value(), style, inner, oneLine);
    }
    if (!oneLine) {
        out += style.newline;
        out += indent;
    }
    out += object ? '}' : ']';
}

}  // namespace

JsonStyle detectJsonStyle(std::string_view text) {
    JsonStyle style;
    const std::size_t firstEnd = text.find_first_of("\r\n");
    if (firstEnd != std::string_view::npos && text[firstEnd] == '\r') {
        // A carriage return alone ends the lines of some old Mac files.
        style.newline = text.compare(firstEnd, 2, "\r\n") == 0 ? "\r\n" : "\r";
    }
    std::size_t narrowest = 0;
    std::size_t lineStart = 0;
    for (std::size_t line = 0; line < kStyleSampleLines && lineStart < text.size(); ++line) {
        std::size_t at = lineStart;
        while (at < text.size() && text[at] == ' ') ++at;
        const std::size_t spaces = at - lineStart;
        if (spaces == 0 && at < text.size() && text[at] == '\t') {
            style.indentUnit = "\t";
            return style;
        }
        const bool blank = at >= text.size() || text[at] == '\n' || text[at] == '\r';
        if (spaces > 0 && !blank && (narrowest == 0 || spaces < narrowest)) narrowest = spaces;
        const std::size_t next = text.find_first_of("\r\n", at);
        if (next == std::string_view::npos) break;
        lineStart = text.compare(next, 2, "\r\n") == 0 ? next + 2 : next + 1;
    }
    if (narrowest > 0) style.indentUnit.assign(std::min(narrowest, kWidestUnit), ' ');
    return style;
}

std::string renderJson(const nlohmann::json& value, const JsonStyle& style,
                       const std::string& indent, bool oneLine) {
    std::string out;
    render(out, value, style, indent, oneLine);
    return out;
}

std::string quotedJsonKey(const std::string& key) { return nlohmann::json(key).dump(); }

}  // namespace corvane
