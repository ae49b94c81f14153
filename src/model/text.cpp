#include "model/text.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

namespace corvane {
namespace {

struct Decoded {
    char32_t character;
    std::size_t length;
};

// Decodes one character at `offset`; nothing for a malformed sequence.
std::optional<Decoded> decodeAt(std::string_view bytes, std::size_t offset) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[offset + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return Decoded{lead, 1};
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (offset + length > bytes.size()) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return std::nullopt;
    }
    return Decoded{value, length};
}

// Whether `matches` accepts any well-formed character of the text; malformed
// bytes are passed over.
template <typename Matches>
bool containsCharacterWhere(std::string_view text, Matches matches) {
    for (std::size_t offset = 0; offset < text.size();) {
        const auto decoded = decodeAt(text, offset);
        if (!decoded) {
            ++offset;
            continue;
        }
        if (matches(decoded->character)) return true;
        offset += decoded->length;
    }
    return false;
}

// Length of the character that ends at `end` when `matches` accepts it, or 0.
template <typename Predicate>
std::size_t matchingEndingAt(std::string_view text, std::size_t end, Predicate matches) {
    for (std::size_t length = 1; length <= 4 && length <= end; ++length) {
        const auto decoded = decodeAt(text, end - length);
        if (decoded && decoded->length == length) {
            return matches(decoded->character) ? length : 0;
        }
    }
    return 0;
}

template <typename Predicate>
std::string trimmedWhere(std::string_view text, Predicate matches) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const auto decoded = decodeAt(text, begin);
        if (!decoded || !matches(decoded->character)) break;
        begin += decoded->length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        const std::size_t length = matchingEndingAt(text, end, matches);
        if (length == 0) break;
        end -= length;
    }
    return std::string(text.substr(begin, end - begin));
}

bool needsEscape(char32_t c) {
    return (c < 0x20 && c != '\t') || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void appendEscape(std::string& out, const char* format, unsigned value) {
    // Room for any unsigned, so the format can never be cut.
    std::array<char, 12> escape{};
    std::snprintf(escape.data(), escape.size(), format, value);
    out += escape.data();
}

}  // namespace

bool isWhitespaceOrNewline(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

std::string trimmed(std::string_view text) { return trimmedWhere(text, isWhitespaceOrNewline); }

bool containsWhitespaceOrNewline(std::string_view text) {
    return containsCharacterWhere(text, isWhitespaceOrNewline);
}

bool containsControlCharacter(std::string_view text) {
    return containsCharacterWhere(text,
                                  [](char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); });
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string displayable(std::string_view text) {
    std::string shown;
    appendDisplayable(shown, text);
    return shown;
}

void appendDisplayable(std::string& out, std::string_view text) {
    const bool plain = std::all_of(text.begin(), text.end(),
                                   [](char c) { return (c >= 0x20 && c < 0x7F) || c == '\t'; });
    if (plain) {
        out.append(text);
        return;
    }
    for (std::size_t offset = 0; offset < text.size();) {
        const auto decoded = decodeAt(text, offset);
        if (!decoded) {
            appendEscape(out, "\\x%02x", static_cast<unsigned char>(text[offset]));
            ++offset;
            continue;
        }
        if (!needsEscape(decoded->character)) {
            out.append(text.substr(offset, decoded->length));
        } else if (decoded->character < 0x80) {
            appendEscape(out, "\\x%02x", static_cast<unsigned>(decoded->character));
        } else {
            appendEscape(out, "\\u%04x", static_cast<unsigned>(decoded->character));
        }
        offset += decoded->length;
    }
}

std::string withJsonEscapesForDisplay(std::string_view json) {
    std::string shown;
    shown.reserve(json.size());
    for (std::size_t offset = 0; offset < json.size();) {
        const auto decoded = decodeAt(json, offset);
        const std::size_t length = decoded ? decoded->length : 1;
        // C0 characters are the layout between values: JSON escapes its own.
        if (decoded && decoded->character >= 0x20 && needsEscape(decoded->character)) {
            // Every such character lies in the Basic Multilingual Plane.
            appendEscape(shown, "\\u%04x", static_cast<unsigned>(decoded->character));
        } else {
            shown.append(json.substr(offset, length));
        }
        offset += length;
    }
    return shown;
}

bool isValidUtf8(std::string_view bytes) {
    for (std::size_t offset = 0; offset < bytes.size();) {
        const auto decoded = decodeAt(bytes, offset);
        if (!decoded) return false;
        offset += decoded->length;
    }
    return true;
}

std::string asciiLowercased(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

std::pair<std::string_view, std::string_view> splitByteOrderMark(std::string_view text) {
    const std::size_t length = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    return {text.substr(0, length), text.substr(length)};
}

}  // namespace corvane
