#include "files/json_text.h"

#include <cmath>

#include "model/messages.h"
#include "model/text.h"

namespace corvane {
namespace {

void requireFinite(const nlohmann::json& value) {
    if (value.is_number_float() && !std::isfinite(value.get<double>())) {
        throw JsonWriteError(translated("files.json.non-finite"));
    }
    if (value.is_structured()) {
        for (const auto& element : value) requireFinite(element);
    }
}

// "/" appears in serialised JSON only inside strings, so escaping it after
// serialising is exact.
std::string escapingSlashes(const std::string& text) {
    std::string result;
    result.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '/') result += '\\';
        result += c;
    }
    return result;
}

// A character as JSON escapes it, in UTF-16 code units.
void appendUnicodeEscape(std::string& out, char32_t c) {
    const auto append = [&out](char32_t unit) {
        static constexpr char kHex[] = "0123456789abcdef";
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
    };
    if (c < 0x10000) {
        append(c);
    } else {
        append(0xD800 + ((c - 0x10000) >> 10));
        append(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
}

}  // namespace

std::string prettyJSON(const nlohmann::json& value) {
    requireFinite(value);
    return value.dump(2);
}

std::string prettyJSONEscapingSlashes(const nlohmann::json& value) {
    return escapingSlashes(prettyJSON(value));
}

std::string compactJSONEscapingSlashes(const nlohmann::json& value) {
    requireFinite(value);
    return escapingSlashes(value.dump());
}

std::string displayableJSON(const nlohmann::json& value, int indent) {
    const std::string text =
        value.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
    std::string shown;
    shown.reserve(text.size());
    // Serialised JSON is valid UTF-8 here, and outside its strings plain
    // ASCII: every character escaped below lies inside a string.
    for (std::size_t offset = 0; offset < text.size();) {
        const auto lead = static_cast<unsigned char>(text[offset]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        const std::string_view character(text.data() + offset, length);
        offset += length;
        if (lead < 0x7F || displayable(character) == character) {
            shown += character;
            continue;
        }
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (char continuation : character.substr(1)) {
            c = (c << 6) | (static_cast<unsigned char>(continuation) & 0x3F);
        }
        appendUnicodeEscape(shown, c);
    }
    return shown;
}

}  // namespace corvane
