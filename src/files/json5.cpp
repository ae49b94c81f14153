#include "files/json5.h"

#include <locale.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <utility>
#ifdef __APPLE__
#include <xlocale.h>
#endif

#include "files/unicode_identifier.h"
#include "model/messages.h"
#include "model/text.h"

namespace corvane {

Json5ParseError::Json5ParseError(const std::string& reason, std::size_t line, std::size_t column)
    : std::runtime_error(translated("files.json5.at-position", {{"line", std::to_string(line)},
                                                                {"column", std::to_string(column)},
                                                                {"reason", reason}})),
      reason_(reason),
      line_(line),
      column_(column) {}

namespace {

using nlohmann::json;

// Deep enough for any real configuration, shallow enough that hostile input
// cannot exhaust the stack of the recursive reader.
constexpr int kMaxDepth = 1000;

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at `offset` (surrogates and
// overlong forms are ill-formed), or 0.
std::size_t sequenceLength(std::string_view text, std::size_t offset) {
    const auto byte = [&](std::size_t i) {
        return offset + i < text.size() ? static_cast<unsigned char>(text[offset + i]) : 0;
    };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return isContinuation(byte(1)) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        return byte(1) >= low && byte(1) <= high && isContinuation(byte(2)) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        return byte(1) >= low && byte(1) <= high && isContinuation(byte(2)) &&
                       isContinuation(byte(3))
                   ? 4
                   : 0;
    }
    return 0;
}

// Offset of the first byte that is not well-formed UTF-8, or npos.
std::size_t firstInvalidUtf8(std::string_view text) {
    std::size_t offset = 0;
    while (offset < text.size()) {
        // Plain ASCII eight bytes at a time.
        if (offset + 8 <= text.size()) {
            std::uint64_t block;
            std::memcpy(&block, text.data() + offset, 8);
            if ((block & 0x8080808080808080ULL) == 0) {
                offset += 8;
                continue;
            }
        }
        const std::size_t length = sequenceLength(text, offset);
        if (length == 0) return offset;
        offset += length;
    }
    return std::string_view::npos;
}

// Decodes the well-formed sequence at `offset`.
char32_t decodeAt(std::string_view text, std::size_t offset, std::size_t& length) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[offset + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        length = 1;
        return lead;
    }
    if (lead < 0xE0) {
        length = 2;
        return (char32_t(lead & 0x1F) << 6) | (byte(1) & 0x3F);
    }
    if (lead < 0xF0) {
        length = 3;
        return (char32_t(lead & 0x0F) << 12) | (char32_t(byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    }
    length = 4;
    return (char32_t(lead & 0x07) << 18) | (char32_t(byte(1) & 0x3F) << 12) |
           (char32_t(byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
}

bool isLineTerminator(char32_t c) { return c == '\n' || c == '\r' || c == 0x2028 || c == 0x2029; }

// White space outside ASCII: no-break space, byte-order mark, line and
// paragraph separators, and the space separators (Zs).
bool isNonAsciiSpace(char32_t c) {
    return c == 0x00A0 || c == 0xFEFF || c == 0x2028 || c == 0x2029 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// strtod is asked in the "C" locale, whatever the process uses.
double decimalInCLocale(std::string_view digits) {
    const std::string text(digits);
    const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    if (c == static_cast<locale_t>(0)) throw std::bad_alloc();
    const double value = strtod_l(text.c_str(), nullptr, c);
    freelocale(c);
    return value;
}

double decimalValue(std::string_view digits) {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
    double value = 0;
    const auto parsed = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    // Digits outside the range of a double are left to the caller.
    if (parsed.ec == std::errc::result_out_of_range) return decimalInCLocale(digits);
    return value;
#else
    // libc++ before 20 and Apple's have no from_chars for double.
    return decimalInCLocale(digits);
#endif
}

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    json document() {
        if (const std::size_t invalid = firstInvalidUtf8(text_);
            invalid != std::string_view::npos) {
            fail(translated("files.json5.invalid-utf8"), invalid);
        }
        if (text_.starts_with("\xEF\xBB\xBF")) position_ = 3;
        skipSpace();
        if (atEnd()) fail(translated("files.json5.no-value"), position_);
        json result = value();
        skipSpace();
        if (!atEnd()) fail(translated("files.json5.trailing-content"), position_);
        return result;
    }

private:
    std::string_view text_;
    std::size_t position_ = 0;
    int depth_ = 0;

    bool atEnd() const { return position_ >= text_.size(); }
    char peek() const { return position_ < text_.size() ? text_[position_] : '\0'; }
    char peekAt(std::size_t ahead) const {
        return position_ + ahead < text_.size() ? text_[position_ + ahead] : '\0';
    }

    [[noreturn]] void fail(const std::string& reason, std::size_t offset) const {
        std::size_t line = 1;
        std::size_t column = 1;
        std::size_t i = 0;
        while (i < offset && i < text_.size()) {
            const auto byte = static_cast<unsigned char>(text_[i]);
            if (byte == '\n' || (byte == '\r' && (i + 1 >= text_.size() || text_[i + 1] != '\n'))) {
                ++line;
                column = 1;
            } else if (byte == 0xE2 && i + 2 < text_.size() && text_[i + 1] == '\x80' &&
                       (text_[i + 2] == '\xA8' || text_[i + 2] == '\xA9')) {
                ++line;
                column = 1;
                i += 3;
                continue;
            } else if (!isContinuation(byte) && byte != '\r') {
                ++column;
            }
            ++i;
        }
        throw Json5ParseError(reason, line, column);
    }

    [[noreturn]] void unexpected() const {
        if (atEnd()) fail(translated("files.json5.unexpected-end"), position_);
        fail(translated("files.json5.unexpected-character"), position_);
    }

    void expect(char c) {
        if (peek() != c) unexpected();
        ++position_;
    }

    void skipSpace() {
        while (position_ < text_.size()) {
            const char c = text_[position_];
            switch (c) {
                case ' ':
                case '\t':
                case '\n':
                case '\r':
                case '\v':
                case '\f':
                    ++position_;
                    continue;
                case '/':
                    if (peekAt(1) == '/') {
                        skipLineComment();
                        continue;
                    }
                    if (peekAt(1) == '*') {
                        skipBlockComment();
                        continue;
                    }
                    return;
                default:
                    break;
            }
            if (static_cast<unsigned char>(c) < 0x80) return;
            std::size_t length = 0;
            if (!isNonAsciiSpace(decodeAt(text_, position_, length))) return;
            position_ += length;
        }
    }

    void skipLineComment() {
        position_ += 2;
        while (position_ < text_.size()) {
            std::size_t length = 1;
            const char c = text_[position_];
            if (c == '\n' || c == '\r') return;
            if (static_cast<unsigned char>(c) >= 0x80 &&
                isLineTerminator(decodeAt(text_, position_, length))) {
                return;
            }
            position_ += length;
        }
    }

    void skipBlockComment() {
        const std::size_t end = text_.find("*/", position_ + 2);
        if (end == std::string_view::npos) {
            fail(translated("files.json5.unterminated-comment"), position_);
        }
        position_ = end + 2;
    }

    json value() {
        switch (peek()) {
            case '{':
                return object();
            case '[':
                return array();
            case '"':
            case '\'':
                return string();
            case 't':
                literal("true");
                return true;
            case 'f':
                literal("false");
                return false;
            case 'n':
                literal("null");
                return nullptr;
            default:
                return number();
        }
    }

    void literal(std::string_view word) {
        if (text_.substr(position_, word.size()) != word) unexpected();
        position_ += word.size();
    }

    void enter() {
        if (++depth_ > kMaxDepth) fail(translated("files.json5.too-deep"), position_);
        ++position_;
    }

    json object() {
        enter();
        json result(json::value_t::object);
        auto& members = result.get_ref<json::object_t&>();
        try {
            skipSpace();
            while (peek() != '}') {
                std::string key = peek() == '"' || peek() == '\'' ? string() : identifierName();
                skipSpace();
                expect(':');
                skipSpace();
                members.insert_or_assign(std::move(key), value());
                skipSpace();
                if (peek() != ',') break;
                ++position_;
                skipSpace();
            }
            expect('}');
        } catch (...) {
            discard(result);
            throw;
        }
        --depth_;
        return result;
    }

    json array() {
        enter();
        json result(json::value_t::array);
        auto& elements = result.get_ref<json::array_t&>();
        try {
            skipSpace();
            while (peek() != ']') {
                elements.push_back(value());
                skipSpace();
                if (peek() != ',') break;
                ++position_;
                skipSpace();
            }
            expect(']');
        } catch (...) {
            discard(result);
            throw;
        }
        --depth_;
        return result;
    }

    // nlohmann::json's destructor first allocates a list as long as the array
    // or object it destroys; after running out of memory that ends the
    // process. Emptying a half-read value from the innermost level outwards
    // allocates nothing, so the failure reaches the caller as an exception.
    static void discard(json& value) noexcept {
        if (value.is_array()) {
            auto& elements = *value.get_ptr<json::array_t*>();
            for (json& element : elements) discard(element);
            elements.clear();
        } else if (value.is_object()) {
            auto& members = *value.get_ptr<json::object_t*>();
            for (auto& member : members) discard(member.second);
            members.clear();
        }
    }

    std::string string() {
        const std::size_t start = position_;
        const char quote = text_[position_++];
        std::string result;
        for (;;) {
            const std::size_t run = position_;
            while (position_ < text_.size()) {
                const char c = text_[position_];
                if (c == quote || c == '\\' || c == '\n' || c == '\r') break;
                ++position_;
            }
            result.append(text_.data() + run, position_ - run);
            if (atEnd()) fail(translated("files.json5.unterminated-string"), start);
            const char c = text_[position_];
            if (c == quote) {
                ++position_;
                return result;
            }
            if (c != '\\') fail(translated("files.json5.newline-in-string"), position_);
            escape(result);
        }
    }

    void escape(std::string& out) {
        const std::size_t start = position_++;
        if (atEnd()) fail(translated("files.json5.unterminated-string"), start);
        const char c = text_[position_++];
        switch (c) {
            case 'b':
                out += '\b';
                return;
            case 'f':
                out += '\f';
                return;
            case 'n':
                out += '\n';
                return;
            case 'r':
                out += '\r';
                return;
            case 't':
                out += '\t';
                return;
            case 'v':
                out += '\v';
                return;
            case '0':
                if (isDigit(peek())) fail(translated("files.json5.digit-after-null-escape"), start);
                out += '\0';
                return;
            case 'x': {
                const int high = hexValue(peek());
                const int low = hexValue(peekAt(1));
                if (high < 0 || low < 0) fail(translated("files.json5.bad-hex-escape"), start);
                position_ += 2;
                appendUtf8(out, static_cast<char32_t>(high * 16 + low));
                return;
            }
            case 'u':
                appendUtf8(out, escapedCodePoint(start));
                return;
            case '\r':
                if (peek() == '\n') ++position_;
                return;
            case '\n':
                return;
            default:
                break;
        }
        if (isDigit(c)) fail(translated("files.json5.escaped-digit"), start);
        // Any other character stands for itself; an escaped line or paragraph
        // separator continues the line like an escaped line break.
        --position_;
        std::size_t length = 0;
        const char32_t character = decodeAt(text_, position_, length);
        if (!isLineTerminator(character)) out.append(text_.data() + position_, length);
        position_ += length;
    }

    char32_t hex4(std::size_t escapeStart) {
        char32_t unit = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = hexValue(peekAt(static_cast<std::size_t>(i)));
            if (digit < 0) fail(translated("files.json5.bad-unicode-escape"), escapeStart);
            unit = unit * 16 + static_cast<char32_t>(digit);
        }
        position_ += 4;
        return unit;
    }

    // After "\u" in a string: one code point, a surrogate pair joined.
    char32_t escapedCodePoint(std::size_t escapeStart) {
        const char32_t unit = hex4(escapeStart);
        if (!isSurrogate(unit)) return unit;
        if (isHighSurrogate(unit) && peek() == '\\' && peekAt(1) == 'u') {
            const std::size_t lowStart = position_;
            position_ += 2;
            const char32_t low = hex4(lowStart);
            if (isLowSurrogate(low)) return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        fail(translated("files.json5.unpaired-surrogate"), escapeStart);
    }

    std::string identifierName() {
        std::string name;
        for (;;) {
            const std::size_t start = position_;
            if (atEnd()) break;
            char32_t character;
            const bool escaped = text_[position_] == '\\';
            if (escaped) {
                if (peekAt(1) != 'u') fail(translated("files.json5.bad-key-escape"), start);
                position_ += 2;
                character = hex4(start);
            } else {
                std::size_t length = 0;
                character = decodeAt(text_, position_, length);
                position_ += length;
            }
            const bool allowed =
                name.empty() ? isIdentifierStart(character) : isIdentifierPart(character);
            if (!allowed) {
                if (escaped) fail(translated("files.json5.escaped-key-character"), start);
                position_ = start;
                break;
            }
            appendUtf8(name, character);
        }
        if (name.empty()) unexpected();
        return name;
    }

    // The characters that may not touch a number: digits and identifier
    // characters ("1x", "0x", "01" and "NaNa" are errors, not two tokens).
    void endNumber() {
        if (atEnd()) return;
        const char c = peek();
        if (isDigit(c) || c == '\\') unexpected();
        std::size_t length = 0;
        if (isIdentifierStart(decodeAt(text_, position_, length))) unexpected();
    }

    json number() {
        bool negative = false;
        if (peek() == '+' || peek() == '-') {
            negative = peek() == '-';
            ++position_;
        }
        if (text_.substr(position_, 8) == "Infinity") {
            position_ += 8;
            endNumber();
            const double infinity = std::numeric_limits<double>::infinity();
            return negative ? -infinity : infinity;
        }
        if (text_.substr(position_, 3) == "NaN") {
            position_ += 3;
            endNumber();
            return std::numeric_limits<double>::quiet_NaN();
        }
        if (peek() == '0' && (peekAt(1) == 'x' || peekAt(1) == 'X')) return hexNumber(negative);
        return decimalNumber(negative);
    }

    json hexNumber(bool negative) {
        position_ += 2;
        const std::size_t start = position_;
        std::uint64_t exact = 0;
        double approximate = 0;
        bool overflow = false;
        while (hexValue(peek()) >= 0) {
            const auto digit = static_cast<unsigned>(hexValue(peek()));
            if (exact > (std::numeric_limits<std::uint64_t>::max() >> 4)) overflow = true;
            exact = (exact << 4) | digit;
            approximate = approximate * 16 + digit;
            ++position_;
        }
        if (position_ == start) unexpected();
        endNumber();
        if (overflow) return negative ? -approximate : approximate;
        return integer(exact, negative);
    }

    static json integer(std::uint64_t magnitude, bool negative) {
        if (!negative) return magnitude;
        constexpr std::uint64_t lowest = std::uint64_t{1} << 63;
        if (magnitude < lowest) return -static_cast<std::int64_t>(magnitude);
        if (magnitude == lowest) return std::numeric_limits<std::int64_t>::min();
        return -static_cast<double>(magnitude);
    }

    std::size_t digits() {
        const std::size_t start = position_;
        while (isDigit(peek())) ++position_;
        return position_ - start;
    }

    json decimalNumber(bool negative) {
        const std::size_t start = position_;
        std::size_t integerDigits = 1;
        if (peek() == '0') {
            ++position_;  // A leading zero stands alone: endNumber refuses "01".
        } else {
            integerDigits = digits();
        }
        bool exact = true;
        if (peek() == '.') {
            ++position_;
            if (digits() == 0 && integerDigits == 0) {
                fail(translated("files.json5.bad-number"), start);
            }
            exact = false;
        } else if (integerDigits == 0) {
            unexpected();
        }
        if (peek() == 'e' || peek() == 'E') {
            ++position_;
            if (peek() == '+' || peek() == '-') ++position_;
            if (digits() == 0) unexpected();
            exact = false;
        }
        endNumber();
        const std::string_view text = text_.substr(start, position_ - start);
        if (exact) {
            std::uint64_t magnitude = 0;
            const auto parsed = std::from_chars(text.data(), text.data() + text.size(), magnitude);
            if (parsed.ec == std::errc()) return integer(magnitude, negative);
        }
        const double value = decimalValue(text);
        return negative ? -value : value;
    }
};

}  // namespace

json parseJson5(std::string_view text) { return Reader(text).document(); }

}  // namespace corvane
