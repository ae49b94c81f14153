#include "defaults/ini_settings.h"

#include <cstdint>
#include <vector>

#include "model/text.h"

namespace corvane {
namespace {

constexpr std::string_view kRootSection = "[General]";

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

// The code points of UTF-8 text; a byte that starts no valid sequence stands
// for itself, as Latin-1.
std::vector<std::uint32_t> codePoints(std::string_view text) {
    std::vector<std::uint32_t> points;
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        std::uint32_t point = length == 1   ? lead
                              : length == 2 ? lead & 0x1Fu
                              : length == 3 ? lead & 0x0Fu
                                            : lead & 0x07u;
        bool valid = lead < 0x80 || (lead >= 0xC2 && lead <= 0xF4 && at + length <= text.size());
        for (std::size_t index = 1; valid && index < length; ++index) {
            const auto next = static_cast<unsigned char>(text[at + index]);
            valid = (next & 0xC0) == 0x80;
            point = (point << 6) | (next & 0x3Fu);
        }
        if (!valid) {
            points.push_back(lead);
            ++at;
            continue;
        }
        points.push_back(point);
        at += length;
    }
    return points;
}

// Qt writes a key with "/" as "\", letters, digits, "_", "-" and "." as they
// are, other Latin-1 characters as %XX and the rest as UTF-16 units %UXXXX.
std::string escapedKey(std::string_view key) {
    constexpr std::string_view kHex = "0123456789ABCDEF";
    std::string out;
    for (std::uint32_t point : codePoints(key)) {
        const bool plain = (point >= 'a' && point <= 'z') || (point >= 'A' && point <= 'Z') ||
                           (point >= '0' && point <= '9') || point == '_' || point == '-' ||
                           point == '.';
        if (point == '/') {
            out += '\\';
        } else if (plain) {
            out += static_cast<char>(point);
        } else if (point <= 0xFF) {
            out += '%';
            out += kHex[point >> 4];
            out += kHex[point & 0xF];
        } else {
            std::vector<std::uint32_t> units{point};
            if (point >= 0x10000) {
                units = {0xD800 + ((point - 0x10000) >> 10), 0xDC00 + ((point - 0x10000) & 0x3FF)};
            }
            for (std::uint32_t unit : units) {
                out += "%U";
                for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
            }
        }
    }
    return out;
}

// Reads a key as Qt does: "\" is "/", %XX and %UXXXX are characters, anything
// else (a key typed by hand) stands for itself.
std::string unescapedKey(std::string_view text) {
    std::string out;
    std::uint32_t pendingHighSurrogate = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        std::size_t digits = 0;
        if (c == '%' && at + 1 < text.size()) digits = text[at + 1] == 'U' ? 4 : 2;
        const std::size_t start = at + (digits == 4 ? 2 : 1);
        bool escaped = digits != 0 && start + digits <= text.size();
        std::uint32_t unit = 0;
        for (std::size_t index = 0; escaped && index < digits; ++index) {
            escaped = isHexDigit(text[start + index]);
            if (escaped)
                unit = unit * 16 + static_cast<std::uint32_t>(hexValue(text[start + index]));
        }
        if (!escaped) {
            out += c == '\\' ? '/' : c;
            continue;
        }
        at = start + digits - 1;
        if (unit >= 0xD800 && unit < 0xDC00) {
            pendingHighSurrogate = unit;
            continue;
        }
        if (unit >= 0xDC00 && unit < 0xE000 && pendingHighSurrogate != 0) {
            unit = 0x10000 + ((pendingHighSurrogate - 0xD800) << 10) + (unit - 0xDC00);
        }
        pendingHighSurrogate = 0;
        appendUtf8(out, static_cast<char32_t>(unit));
    }
    return out;
}

// Qt's value escaping: quotes around a value holding ";", "," or "=" or
// starting or ending with a space, C escapes for controls, "\" and '"', and a
// hex digit after a \x escape escaped too, so the escape cannot swallow it.
std::string escapedValue(std::string_view value) {
    constexpr std::string_view kHex = "0123456789abcdef";
    std::string body = value.starts_with('@') ? "@" : "";
    bool needsQuotes = false;
    bool escapeNextIfDigit = false;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == ';' || c == ',' || c == '=') needsQuotes = true;
        if (escapeNextIfDigit && isHexDigit(c)) {
            body += "\\x";
            body += kHex[byte >> 4];
            body += kHex[byte & 0xF];
            continue;
        }
        escapeNextIfDigit = false;
        switch (c) {
            case '\a':
                body += "\\a";
                break;
            case '\b':
                body += "\\b";
                break;
            case '\f':
                body += "\\f";
                break;
            case '\n':
                body += "\\n";
                break;
            case '\r':
                body += "\\r";
                break;
            case '\t':
                body += "\\t";
                break;
            case '\v':
                body += "\\v";
                break;
            case '"':
            case '\\':
                body += '\\';
                body += c;
                break;
            default:
                if (byte < 0x20) {
                    body += "\\x";
                    if (byte >= 0x10) body += kHex[byte >> 4];
                    body += kHex[byte & 0xF];
                    escapeNextIfDigit = true;
                } else {
                    body += c;
                }
        }
    }
    if (needsQuotes || body.starts_with(' ') || body.ends_with(' ')) return '"' + body + '"';
    return body;
}

// Reads a value as Qt does: quotes group, C escapes, \x and octal escapes
// name UTF-16 units, an unquoted ";" starts a comment and unquoted spaces at
// either end are dropped. Several unquoted comma-separated parts make a list,
// which is not a string.
std::optional<std::string> unescapedValue(std::string_view text) {
    std::string out;
    bool inQuotes = false;
    std::size_t keptLength = 0;  // without unquoted trailing spaces
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '"') {
            inQuotes = !inQuotes;
            keptLength = out.size();
        } else if (c == '\\' && at + 1 < text.size()) {
            const char code = text[++at];
            const std::string_view simple = "abfnrtv\"'?\\";
            const std::string_view meaning = "\a\b\f\n\r\t\v\"'?\\";
            if (const std::size_t index = simple.find(code); index != std::string_view::npos) {
                out += meaning[index];
            } else if (code == 'x' || (code >= '0' && code <= '7')) {
                const int base = code == 'x' ? 16 : 8;
                std::uint32_t unit = code == 'x' ? 0 : static_cast<std::uint32_t>(code - '0');
                while (at + 1 < text.size() &&
                       (base == 16 ? isHexDigit(text[at + 1])
                                   : text[at + 1] >= '0' && text[at + 1] <= '7')) {
                    unit = unit * static_cast<std::uint32_t>(base) +
                           static_cast<std::uint32_t>(hexValue(text[++at]));
                    unit &= 0xFFFF;
                }
                appendUtf8(out, static_cast<char32_t>(unit));
            } else {
                out += code;
            }
            keptLength = out.size();
        } else if (!inQuotes && c == ';') {
            break;
        } else if (!inQuotes && c == ',') {
            return std::nullopt;
        } else if (!inQuotes && (c == ' ' || c == '\t')) {
            if (!out.empty()) out += c;
        } else {
            out += c;
            keptLength = out.size();
        }
    }
    out.resize(keptLength);
    if (out.starts_with("@@")) return out.substr(1);
    if (out.starts_with("@String(") && out.ends_with(')')) return out.substr(8, out.size() - 9);
    if (out.starts_with('@')) return std::nullopt;
    return out;
}

struct Line {
    std::string_view text;  // without its line ending
    std::size_t start = 0;
    std::size_t end = 0;  // after its line ending
};

std::vector<Line> lines(std::string_view text) {
    std::vector<Line> out;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        end = end == std::string_view::npos ? text.size() : end + 1;
        std::string_view line = text.substr(start, end - start);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        out.push_back({line, start, end});
        start = end;
    }
    return out;
}

std::string_view blanksTrimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool isSection(std::string_view line) { return blanksTrimmed(line).starts_with('['); }

// Where the root group's lines are: before the first section, and in every
// "[General]" section.
std::vector<bool> inRootGroup(const std::vector<Line>& all) {
    std::vector<bool> root(all.size());
    bool current = true;
    for (std::size_t index = 0; index < all.size(); ++index) {
        if (isSection(all[index].text)) current = blanksTrimmed(all[index].text) == kRootSection;
        root[index] = current && !isSection(all[index].text);
    }
    return root;
}

bool isEntry(std::string_view line) {
    const std::string_view content = blanksTrimmed(line);
    return !content.starts_with(';') && !content.starts_with('#') &&
           content.find('=') != std::string_view::npos;
}

// The raw value of a line that stores `key`.
std::optional<std::string_view> storedValue(std::string_view line, std::string_view key) {
    if (!isEntry(line)) return std::nullopt;
    const std::string_view content = blanksTrimmed(line);
    const std::size_t equals = content.find('=');
    if (unescapedKey(blanksTrimmed(content.substr(0, equals))) != key) return std::nullopt;
    return content.substr(equals + 1);
}

}  // namespace

std::optional<std::string> iniValue(std::string_view text, std::string_view key) {
    const std::vector<Line> all = lines(text);
    const std::vector<bool> root = inRootGroup(all);
    std::optional<std::string> found;
    // As in Qt, a key given twice takes its last value.
    for (std::size_t index = 0; index < all.size(); ++index) {
        if (!root[index]) continue;
        if (const auto raw = storedValue(all[index].text, key)) found = unescapedValue(*raw);
    }
    return found;
}

std::string withIniValue(std::string_view text, std::string_view key,
                         const std::optional<std::string>& value) {
    const std::vector<Line> all = lines(text);
    const std::vector<bool> root = inRootGroup(all);
    const std::string entry = value ? escapedKey(key) + "=" + escapedValue(*value) + "\n" : "";
    std::string out;
    bool written = false;
    std::optional<std::size_t> rootEnd;  // after the last line of the root group
    for (std::size_t index = 0; index < all.size(); ++index) {
        const Line& line = all[index];
        if (root[index] && storedValue(line.text, key)) {
            if (!written) out += entry;
            written = true;
            continue;
        }
        out += text.substr(line.start, line.end - line.start);
        if (line.end == text.size() && !text.ends_with('\n')) out += '\n';
        const bool rootHeader = blanksTrimmed(line.text) == kRootSection;
        if ((root[index] && isEntry(line.text)) || rootHeader) rootEnd = out.size();
    }
    if (written || !value) return out;
    if (rootEnd) return out.insert(*rootEnd, entry);
    std::string header = std::string(kRootSection) + "\n" + entry;
    if (!out.empty()) header += "\n";
    return header + out;
}

}  // namespace corvane
