#include "files/json_outline.h"

#include "files/json5.h"

namespace corvane {
namespace {

constexpr std::size_t npos = std::string_view::npos;

bool isAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Length of the JSON5 white space outside ASCII at `at` (no-break space, the
// byte-order mark, line and paragraph separators, the space separators), or 0.
std::size_t nonAsciiSpaceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0;
    };
    switch (byte(0)) {
        case 0xC2:
            return byte(1) == 0xA0 ? 2 : 0;
        case 0xE1:
            return byte(1) == 0x9A && byte(2) == 0x80 ? 3 : 0;
        case 0xE2:
            if (byte(1) == 0x80 &&
                (byte(2) <= 0x8A || byte(2) == 0xA8 || byte(2) == 0xA9 || byte(2) == 0xAF)) {
                return byte(2) >= 0x80 ? 3 : 0;
            }
            return byte(1) == 0x81 && byte(2) == 0x9F ? 3 : 0;
        case 0xE3:
            return byte(1) == 0x80 && byte(2) == 0x80 ? 3 : 0;
        case 0xEF:
            return byte(1) == 0xBB && byte(2) == 0xBF ? 3 : 0;
        default:
            return 0;
    }
}

bool isLineSeparatorAt(std::string_view text, std::size_t at) {
    return text.compare(at, 3, "\xE2\x80\xA8") == 0 || text.compare(at, 3, "\xE2\x80\xA9") == 0;
}

// Past a comment that starts at `at` (which holds "//" or "/*").
std::size_t commentEnd(std::string_view text, std::size_t at) {
    if (text[at + 1] == '*') {
        const std::size_t close = text.find("*/", at + 2);
        return close == npos ? text.size() : close + 2;
    }
    std::size_t i = at + 2;
    while (i < text.size() && text[i] != '\n' && text[i] != '\r' && !isLineSeparatorAt(text, i)) {
        ++i;
    }
    return i;
}

bool startsComment(std::string_view text, std::size_t at) {
    return text[at] == '/' && at + 1 < text.size() && (text[at + 1] == '/' || text[at + 1] == '*');
}

std::size_t skipSpace(std::string_view text, std::size_t at) {
    while (at < text.size()) {
        if (isAsciiSpace(text[at])) {
            ++at;
        } else if (startsComment(text, at)) {
            at = commentEnd(text, at);
        } else if (const std::size_t length = nonAsciiSpaceLength(text, at)) {
            at += length;
        } else {
            break;
        }
    }
    return at;
}

std::size_t stringEnd(std::string_view text, std::size_t at) {
    const char quote = text[at++];
    while (at < text.size()) {
        if (text[at] == '\\') {
            at += 2;
        } else if (text[at++] == quote) {
            break;
        }
    }
    return at;
}

// Numbers and the literals hold no space, separator or comment.
std::size_t scalarEnd(std::string_view text, std::size_t at) {
    while (at < text.size()) {
        const char c = text[at];
        if (isAsciiSpace(c) || c == ',' || c == '}' || c == ']' || c == '/' ||
            static_cast<unsigned char>(c) >= 0x80) {
            break;
        }
        ++at;
    }
    return at;
}

std::size_t containerEnd(std::string_view text, std::size_t at) {
    std::size_t depth = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (c == '"' || c == '\'') {
            at = stringEnd(text, at);
        } else if (startsComment(text, at)) {
            at = commentEnd(text, at);
        } else {
            ++at;
            if (c == '{' || c == '[') {
                ++depth;
            } else if ((c == '}' || c == ']') && --depth == 0) {
                break;
            }
        }
    }
    return at;
}

// An identifier key runs up to the colon, a space or a comment.
std::size_t identifierEnd(std::string_view text, std::size_t at) {
    while (at < text.size() && text[at] != ':' && !isAsciiSpace(text[at]) &&
           !startsComment(text, at) && nonAsciiSpaceLength(text, at) == 0) {
        ++at;
    }
    return at;
}

std::string decodedKey(std::string_view written) {
    const bool quoted = written.front() == '"' || written.front() == '\'';
    if (written.find('\\') == npos) {
        return std::string(quoted ? written.substr(1, written.size() - 2) : written);
    }
    // Escapes are rare in keys: the reader itself decodes them.
    const nlohmann::json wrapper = parseJson5("{" + std::string(written) + ":0}");
    return wrapper.begin().key();
}

}  // namespace

std::size_t jsonRootStart(std::string_view text) {
    return skipSpace(text, text.starts_with("\xEF\xBB\xBF") ? 3 : 0);
}

std::size_t jsonValueEnd(std::string_view text, std::size_t start) {
    const char c = text[start];
    if (c == '{' || c == '[') return containerEnd(text, start);
    if (c == '"' || c == '\'') return stringEnd(text, start);
    return scalarEnd(text, start);
}

JsonContainerSpan outlineJsonContainer(std::string_view text, std::size_t open) {
    const bool object = text[open] == '{';
    const char closing = object ? '}' : ']';
    JsonContainerSpan span;
    span.open = open;
    std::size_t at = skipSpace(text, open + 1);
    while (at < text.size() && text[at] != closing) {
        JsonItemSpan item;
        item.start = at;
        if (object) {
            const bool quoted = text[at] == '"' || text[at] == '\'';
            const std::size_t keyEnd = quoted ? stringEnd(text, at) : identifierEnd(text, at);
            item.key = decodedKey(text.substr(at, keyEnd - at));
            at = skipSpace(text, keyEnd) + 1;  // past the colon
            at = skipSpace(text, at);
        }
        item.valueStart = at;
        item.valueEnd = jsonValueEnd(text, at);
        at = skipSpace(text, item.valueEnd);
        if (at < text.size() && text[at] == ',') {
            item.comma = at;
            at = skipSpace(text, at + 1);
        }
        span.items.push_back(std::move(item));
    }
    span.close = at;
    return span;
}

}  // namespace corvane
