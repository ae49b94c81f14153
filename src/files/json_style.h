#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace corvane {

// How a hand-written JSON text lays itself out, so that what the tool adds
// looks like the rest of the file.
struct JsonStyle {
    std::string indentUnit = "  ";  // one level: spaces or a tab
    std::string newline = "\n";     // "\n", "\r\n" or "\r"
};

// The style of `text`: the first tab indent, else the narrowest space
// indent; the first line ending. Two spaces and "\n" when the text shows
// neither.
JsonStyle detectJsonStyle(std::string_view text);

// `value` as JSON text in the file's style. Multi-line form: members on lines
// of their own, one unit deeper than `indent` (the indentation of the line
// the value starts on). One-line form: {"key": value, ...}. Keys always
// quoted, "/" unescaped; JsonWriteError for a number JSON cannot hold.
std::string renderJson(const nlohmann::json& value, const JsonStyle& style,
                       const std::string& indent, bool oneLine);

// `key` as a quoted JSON string.
std::string quotedJsonKey(const std::string& key);

}  // namespace corvane
