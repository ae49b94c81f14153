#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <random>
#include <string>
#include <string_view>

#include "files/json5.h"
#include "files/json_text.h"

namespace corvane {
namespace {

using nlohmann::json;

bool isFinite(const json& value) {
    if (value.is_number_float()) return std::isfinite(value.get<double>());
    if (!value.is_structured()) return true;
    for (const auto& element : value) {
        if (!isFinite(element)) return false;
    }
    return true;
}

// The input, printable in a failure message whatever its bytes.
std::string quoted(const std::string& text) {
    return json(text).dump(-1, ' ', true, json::error_handler_t::replace);
}

// Pieces of JSON5 and of what it forbids, glued at random.
constexpr std::array<std::string_view, 48> kPieces = {
    "{",
    "}",
    "[",
    "]",
    ",",
    ":",
    " ",
    "\n",
    "\r\n",
    "// c\n",
    "/* c */",
    "/*",
    "\"",
    "'",
    "\\",
    "\\u",
    "\\uD83D",
    "\\uDE00",
    "\\x4",
    "\\0",
    "\\\n",
    "a",
    "$_",
    "\\u0061",
    "0",
    "1",
    "-",
    "+",
    ".",
    "e",
    "E",
    "0x",
    "fF",
    "9999999999999999999999",
    "Infinity",
    "NaN",
    "true",
    "false",
    "null",
    "\"s\"",
    "'s'",
    "\xC3\xA9",
    "\xE2\x80\xA8",
    "\xEF\xBB\xBF",
    "\xFF",
    "\xED\xA0\x80",
    "\t",
    "\x01",
};

constexpr std::array<std::string_view, 6> kSeeds = {
    R"({"provider": {"corvane-desktop": {"models": {"m": {"name": "M"}}}}, "model": "x/y"})",
    "{a: [1, 2.5, -0x1F, .5, +Infinity, NaN,], 'b': 'it\\'s', /* c */ c: null, // e\n}",
    R"([{"id": "corvane-workbuddy-1", "url": "https://a.example/v1", "n": 18446744073709551615}])",
    "{\"日本\": \"\\u65e5\\uD83D\\uDE00\", ümlaut: true}",
    "[[[[[]]]], {}, [{}], '\\\r\nline']",
    "123",
};

std::string randomText(std::mt19937& random) {
    std::string text;
    if (random() % 2 == 0) text = kSeeds[random() % kSeeds.size()];
    const unsigned edits = 1 + random() % 6;
    for (unsigned i = 0; i < edits; ++i) {
        const std::size_t at = text.empty() ? 0 : random() % (text.size() + 1);
        switch (random() % 4) {
            case 0:
                text.insert(at, kPieces[random() % kPieces.size()]);
                break;
            case 1:
                if (at < text.size()) text.erase(at, 1 + random() % 4);
                break;
            case 2:
                if (at < text.size()) text[at] = static_cast<char>(random());
                break;
            default:
                text.resize(at);
                break;
        }
    }
    return text;
}

// Bounded random input: the reader either gives a value or a Json5ParseError,
// never another error, a crash or a hang. Strict JSON that nlohmann accepts
// must read to the same value, and any value read must survive writing and
// reading back.
TEST(Json5Random, GarbageGivesAValueOrAParseError) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    int accepted = 0;
    for (int i = 0; i < 30000 && std::chrono::steady_clock::now() < deadline; ++i) {
        const std::string text = randomText(random);
        json value;
        bool parsed = false;
        try {
            value = parseJson5(text);
            parsed = true;
            ++accepted;
        } catch (const Json5ParseError&) {
        } catch (const std::exception& error) {
            FAIL() << "unexpected error " << error.what() << " for " << quoted(text);
        }
        // nlohmann stops reading at a NUL byte, so only NUL-free texts compare.
        const json strict = json::parse(text, nullptr, false);
        if (!strict.is_discarded() && text.find('\0') == std::string::npos) {
            ASSERT_TRUE(parsed) << "strict JSON refused: " << quoted(text);
            ASSERT_EQ(value, strict) << quoted(text);
        }
        if (parsed && isFinite(value)) {
            ASSERT_EQ(parseJson5(prettyJSON(value)), value) << quoted(text);
        }
    }
    RecordProperty("accepted", accepted);
    EXPECT_GT(accepted, 0);
}

}  // namespace
}  // namespace corvane
