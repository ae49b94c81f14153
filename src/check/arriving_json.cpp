#include "check/arriving_json.h"

#include <array>

#include "model/text.h"

namespace corvane {

namespace {

// What a byte inside a string asks of the reader.
enum StringByte : unsigned char { plain, quote, backslash, control, multibyte };

constexpr std::array<unsigned char, 256> kStringBytes = [] {
    std::array<unsigned char, 256> kinds{};
    for (std::size_t byte = 0; byte < 0x20; ++byte) kinds[byte] = control;
    for (std::size_t byte = 0x80; byte < 0x100; ++byte) kinds[byte] = multibyte;
    kinds['"'] = quote;
    kinds['\\'] = backslash;
    return kinds;
}();

StringByte kindOf(char byte) {
    return static_cast<StringByte>(kStringBytes[static_cast<unsigned char>(byte)]);
}

// Where the run of plain bytes from `at` ends, `end` at the latest.
const char* plainRunEnd(const char* at, const char* end) {
    while (at != end && kindOf(*at) == plain) ++at;
    return at;
}

bool isDigit(int byte) { return byte >= '0' && byte <= '9'; }

int hexValue(int byte) {
    if (isDigit(byte)) return byte - '0';
    if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
    if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
    return -1;
}

}  // namespace

JsonPart ArrivingJson::next() {
    if (failed_) return JsonPart::invalid;
    const JsonPart part = readPart();
    failed_ = part == JsonPart::invalid;
    return part;
}

JsonPart ArrivingJson::readPart() {
    int byte = skipSpace();
    switch (expect_) {
        case Expect::keyOrClose:
            if (byte == '}') return close('o');
            [[fallthrough]];
        case Expect::key:
            if (byte != '"') return JsonPart::invalid;
            ++at_;
            if (!readString()) return JsonPart::invalid;
            // Looking further for the colon may take the next piece, and the
            // key's text with it.
            if ((at_ == end_ || *at_ != ':') && text_.data() != decoded_.data()) {
                decoded_.assign(text_);
                text_ = decoded_;
            }
            if (skipSpace() != ':') return JsonPart::invalid;
            ++at_;
            expect_ = Expect::value;
            return JsonPart::key;
        case Expect::valueOrClose:
            if (byte == ']') return close('a');
            [[fallthrough]];
        case Expect::value:
            return readValue(byte);
        case Expect::separator:
            if (open_.empty()) return byte == -1 ? JsonPart::end : JsonPart::invalid;
            if (byte != ',') return close(byte == '}' ? 'o' : byte == ']' ? 'a' : '\0');
            ++at_;
            byte = skipSpace();
            if (open_.back() == 'a') return readValue(byte);
            expect_ = Expect::key;
            return readPart();
    }
    return JsonPart::invalid;
}

JsonPart ArrivingJson::readValue(int byte) {
    switch (byte) {
        case '{':
            ++at_;
            open_ += 'o';
            expect_ = Expect::keyOrClose;
            return JsonPart::startObject;
        case '[':
            ++at_;
            open_ += 'a';
            expect_ = Expect::valueOrClose;
            return JsonPart::startArray;
        case '"':
            ++at_;
            if (!readString()) return JsonPart::invalid;
            expect_ = Expect::separator;
            return JsonPart::string;
        case 't':
            return readLiteral("true", JsonPart::trueValue);
        case 'f':
            return readLiteral("false", JsonPart::falseValue);
        case 'n':
            return readLiteral("null", JsonPart::null);
        default:
            return byte == '-' || isDigit(byte) ? readNumber() : JsonPart::invalid;
    }
}

JsonPart ArrivingJson::close(char container) {
    if (open_.empty() || open_.back() != container) return JsonPart::invalid;
    ++at_;
    open_.pop_back();
    expect_ = Expect::separator;
    return container == 'o' ? JsonPart::endObject : JsonPart::endArray;
}

JsonPart ArrivingJson::readLiteral(std::string_view word, JsonPart part) {
    for (const char letter : word) {
        if (peek() != letter) return JsonPart::invalid;
        ++at_;
    }
    expect_ = Expect::separator;
    return part;
}

JsonPart ArrivingJson::readNumber() {
    if (peek() == '-') ++at_;
    if (peek() == '0') {
        ++at_;
    } else if (!readDigits()) {
        return JsonPart::invalid;
    }
    if (peek() == '.') {
        ++at_;
        if (!readDigits()) return JsonPart::invalid;
    }
    if (peek() == 'e' || peek() == 'E') {
        ++at_;
        if (peek() == '+' || peek() == '-') ++at_;
        if (!readDigits()) return JsonPart::invalid;
    }
    expect_ = Expect::separator;
    return JsonPart::number;
}

bool ArrivingJson::readDigits() {
    if (!isDigit(peek())) return false;
    while (isDigit(peek())) ++at_;
    return true;
}

// Most strings are plain ASCII within one piece, and are shown where they
// arrived, uncopied.
bool ArrivingJson::readString() {
    const char* const start = at_;
    const char* const plainEnd = plainRunEnd(at_, end_);
    if (plainEnd != end_ && *plainEnd == '"') {
        text_ = std::string_view(start, static_cast<std::size_t>(plainEnd - start));
        at_ = plainEnd + 1;
        return true;
    }
    decoded_.assign(start, plainEnd);
    at_ = plainEnd;
    return readStringSlowly();
}

bool ArrivingJson::readStringSlowly() {
    for (;;) {
        const int byte = peek();
        if (byte < 0) return false;
        switch (kindOf(static_cast<char>(byte))) {
            case plain: {
                const char* const start = at_;
                at_ = plainRunEnd(at_, end_);
                decoded_.append(start, at_);
                break;
            }
            case quote:
                ++at_;
                text_ = decoded_;
                return true;
            case backslash:
                ++at_;
                if (!readEscape()) return false;
                break;
            case control:
                return false;
            case multibyte:
                ++at_;
                if (!readUtf8Sequence(static_cast<unsigned>(byte))) return false;
                break;
        }
    }
}

bool ArrivingJson::readEscape() {
    const int byte = peek();
    if (byte < 0) return false;
    ++at_;
    switch (byte) {
        case '"':
        case '\\':
        case '/':
            decoded_ += static_cast<char>(byte);
            return true;
        case 'b':
            decoded_ += '\b';
            return true;
        case 'f':
            decoded_ += '\f';
            return true;
        case 'n':
            decoded_ += '\n';
            return true;
        case 'r':
            decoded_ += '\r';
            return true;
        case 't':
            decoded_ += '\t';
            return true;
        case 'u':
            break;
        default:
            return false;
    }
    const int unit = readHex4();
    if (unit < 0 || (unit >= 0xDC00 && unit <= 0xDFFF)) return false;
    if (unit < 0xD800 || unit > 0xDBFF) {
        appendUtf8(decoded_, static_cast<char32_t>(unit));
        return true;
    }
    // A high surrogate stands only with the low one that completes it.
    if (peek() != '\\') return false;
    ++at_;
    if (peek() != 'u') return false;
    ++at_;
    const int low = readHex4();
    if (low < 0xDC00 || low > 0xDFFF) return false;
    appendUtf8(decoded_, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                             (static_cast<char32_t>(low) - 0xDC00));
    return true;
}

int ArrivingJson::readHex4() {
    int value = 0;
    for (int digit = 0; digit < 4; ++digit) {
        const int nibble = hexValue(peek());
        if (nibble < 0) return -1;
        ++at_;
        value = value * 16 + nibble;
    }
    return value;
}

// The ranges of well-formed UTF-8: no overlong form, no surrogate, nothing
// beyond U+10FFFF.
bool ArrivingJson::readUtf8Sequence(unsigned lead) {
    int following = 0;
    int low = 0x80;
    int high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        following = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        following = 2;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        following = 3;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return false;
    }
    decoded_ += static_cast<char>(lead);
    for (int index = 0; index < following; ++index) {
        const int byte = peek();
        if (byte < low || byte > high) return false;
        decoded_ += static_cast<char>(byte);
        ++at_;
        low = 0x80;
        high = 0xBF;
    }
    return true;
}

int ArrivingJson::skipSpaceSlowly() {
    for (;;) {
        const int byte = peek();
        if (byte != ' ' && byte != '\n' && byte != '\r' && byte != '\t') return byte;
        ++at_;
    }
}

bool ArrivingJson::refill() {
    if (!ended_) {
        const std::string_view piece = next_();
        if (!piece.empty()) {
            at_ = piece.data();
            end_ = at_ + piece.size();
            return true;
        }
        ended_ = true;
    }
    at_ = end_;
    return false;
}

}  // namespace corvane
