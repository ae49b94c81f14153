#include "check/arriving_json.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane {
namespace {

// The parts of `text` in a short notation, read from pieces of `pieceBytes`
// that arrive in one reused buffer, as a transfer hands them over.
std::string partsOf(const std::string& text, std::size_t pieceBytes) {
    std::size_t at = 0;
    std::string piece;
    const ArrivingBytes next = [&]() -> std::string_view {
        piece.assign(text, at, pieceBytes);
        at += piece.size();
        return piece;
    };
    ArrivingJson json(next);
    std::string parts;
    for (;;) {
        const JsonPart part = json.next();
        switch (part) {
            case JsonPart::startObject:
                parts += "{ ";
                break;
            case JsonPart::endObject:
                parts += "} ";
                break;
            case JsonPart::startArray:
                parts += "[ ";
                break;
            case JsonPart::endArray:
                parts += "] ";
                break;
            case JsonPart::key:
                parts += "k:" + std::string(json.text()) + " ";
                break;
            case JsonPart::string:
                parts += "s:" + std::string(json.text()) + " ";
                break;
            case JsonPart::trueValue:
                parts += "true ";
                break;
            case JsonPart::falseValue:
                parts += "false ";
                break;
            case JsonPart::null:
                parts += "null ";
                break;
            case JsonPart::number:
                parts += "# ";
                break;
            case JsonPart::end:
                return parts + "end";
            case JsonPart::invalid:
                return parts + "invalid";
        }
    }
}

TEST(ArrivingJson, ReadsJsonAndRefusesWhatIsNotJsonWhereverThePiecesEnd) {
    struct Case {
        std::string text;
        std::string parts;
    };
    const std::vector<Case> cases = {
        {R"( {"data" : [ {"id":"a-1","n":1},{"id":"b"} ] , "more":true} )",
         "{ k:data [ { k:id s:a-1 k:n # } { k:id s:b } ] k:more true } end"},
        {R"([false,null,-0.5e+3,0,12.25E-1,"",{}])", "[ false null # # # s: { } ] end"},
        {R"("\"\\\/\b\f\n\r\t\u0041\u00e9\u4e2d\ud83d\ude00")",
         "s:\"\\/\b\f\n\r\tA\u00e9\u4e2d\U0001F600 end"},
        {"\"\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80\"", "s:\u00e9\u4e2d\U0001F600 end"},
        {"", "invalid"},
        {"{", "{ invalid"},
        {R"({"a":1,})", "{ k:a # invalid"},
        {"[1,]", "[ # invalid"},
        {"[1 2]", "[ # invalid"},
        {R"({"a" 1})", "{ invalid"},
        {"{1:2}", "{ invalid"},
        {"[1}", "[ # invalid"},
        {"{}}", "{ } invalid"},
        {"[] []", "[ ] invalid"},
        {"01", "# invalid"},
        {"[-]", "[ invalid"},
        {"[1.]", "[ invalid"},
        {"[1e]", "[ invalid"},
        {"[tru]", "[ invalid"},
        {"[nulll]", "[ null invalid"},
        {"[NaN]", "[ invalid"},
        {"[\"a", "[ invalid"},
        {"[\"a\tb\"]", "[ invalid"},
        {R"(["\x"])", "[ invalid"},
        {R"(["\u12G4"])", "[ invalid"},
        // Lone surrogates hold no character that UTF-8 can carry.
        {R"(["\ud83d"])", "[ invalid"},
        {R"(["\ud83d\u0041"])", "[ invalid"},
        {R"(["\ude00"])", "[ invalid"},
        {"[\"\xff\"]", "[ invalid"},
        {"[\"\xc0\xaf\"]", "[ invalid"},
        {"[\"\xe0\x80\xaf\"]", "[ invalid"},
        {"[\"\xed\xa0\x80\"]", "[ invalid"},
        {"[\"\xf4\x90\x80\x80\"]", "[ invalid"},
        {"[\"\xe4\xb8\"]", "[ invalid"},
        {std::string("[1]\0", 4), "[ # ] invalid"},
        {std::string("[\"a\0\"]", 6), "[ invalid"},
    };
    for (const Case& c : cases) {
        for (std::size_t pieceBytes = 1; pieceBytes <= c.text.size() + 1; ++pieceBytes) {
            SCOPED_TRACE(c.text + " in pieces of " + std::to_string(pieceBytes));
            EXPECT_EQ(partsOf(c.text, pieceBytes), c.parts);
        }
    }
}

TEST(ArrivingJson, NestsAsDeepAsTheBytesGoWithoutUsingTheStack) {
    constexpr std::size_t kDepth = 1'000'000;
    const std::string text = std::string(kDepth, '[') + std::string(kDepth, ']');
    std::string parts = partsOf(text, 65536);
    EXPECT_EQ(parts.size(), 2 * kDepth * 2 + 3);
    EXPECT_TRUE(parts.ends_with("] ] end"));
}

}  // namespace
}  // namespace corvane
