#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace corvane {

// The body's next bytes as they arrive, valid until the next call; empty once
// the body has ended.
using ArrivingBytes = std::function<std::string_view()>;

enum class JsonPart {
    startObject,
    endObject,
    startArray,
    endArray,
    key,
    string,
    trueValue,
    falseValue,
    null,
    number,
    end,      // the text, and any whitespace after it, has ended
    invalid,  // the bytes are not one JSON text; from then on, nothing else
};

// Reads one JSON text as its bytes arrive, a part at a time, without holding
// the text or building the document: the caller pulls each part, and bytes
// are asked for only when a part needs them. Nesting costs a byte a level, on
// the heap, so no depth can exhaust the stack. Strings come decoded, and must
// be UTF-8 without a lone surrogate, so that what they hold can be written out
// again as text.
class ArrivingJson {
public:
    explicit ArrivingJson(const ArrivingBytes& next) : next_(next) {}

    JsonPart next();
    // The text of the last key or string, valid until the next call of next().
    std::string_view text() const { return text_; }

private:
    enum class Expect : unsigned char { value, valueOrClose, key, keyOrClose, separator };

    JsonPart readPart();
    JsonPart readValue(int byte);
    JsonPart close(char container);
    JsonPart readLiteral(std::string_view word, JsonPart part);
    JsonPart readNumber();
    bool readDigits();
    bool readString();
    bool readStringSlowly();
    bool readEscape();
    bool readUtf8Sequence(unsigned lead);
    int readHex4();
    // The next byte that is no whitespace, or -1 once the bytes have ended.
    int skipSpace() {
        // Most parts follow the one before with nothing between.
        if (at_ != end_ && static_cast<unsigned char>(*at_) > ' ') {
            return static_cast<unsigned char>(*at_);
        }
        return skipSpaceSlowly();
    }
    int skipSpaceSlowly();
    // The next byte, or -1 once the bytes have ended.
    int peek() { return at_ != end_ || refill() ? static_cast<unsigned char>(*at_) : -1; }
    bool refill();

    const ArrivingBytes& next_;
    const char* at_ = nullptr;
    const char* end_ = nullptr;
    bool ended_ = false;
    bool failed_ = false;
    Expect expect_ = Expect::value;
    // One byte per open container: 'o' for an object, 'a' for an array.
    std::string open_;
    // A string's decoded text when it could not be shown where it arrived.
    std::string decoded_;
    std::string_view text_;
};

}  // namespace corvane
