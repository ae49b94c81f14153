#include "files/json5.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace corvane {
namespace {

using nlohmann::json;

struct Accepted {
    const char* feature;
    std::string text;
    json expected;
};

// Each JSON5 form, read as JSON5 reads it. Expected values are strict JSON.
TEST(Json5, AcceptsEveryJson5Form) {
    const Accepted cases[] = {
        {"strict JSON", R"({"a": [1, -2, 3.5, true, false, null, "x"]})",
         json::parse(R"({"a": [1, -2, 3.5, true, false, null, "x"]})")},
        {"line comment", "// first\n{\"a\": 1 // after\n}", json{{"a", 1}}},
        {"block comment", "/* a\n * b */ [/**/1/* x */]", json::array({1})},
        {"comment at end without line break", "1 // end", 1},
        {"trailing comma in object", "{\"a\": 1,}", json{{"a", 1}}},
        {"trailing comma in array", "[1, 2,]", json::array({1, 2})},
        {"identifier keys", "{a: 1, $b: 2, _c3: 3, null: 4, true: 5, Infinity: 6}",
         json{{"a", 1}, {"$b", 2}, {"_c3", 3}, {"null", 4}, {"true", 5}, {"Infinity", 6}}},
        {"Unicode identifier key", "{ümlaut: 1, 名前: 2, ǅa: 3, ab\u0301c: 4, a\u200Cb: 5}",
         json{{"ümlaut", 1}, {"名前", 2}, {"ǅa", 3}, {"ab\u0301c", 4}, {"a\u200Cb", 5}}},
        {"escapes in identifier key", R"({\u0061b: 1, a\u0062c: 2})", json{{"ab", 1}, {"abc", 2}}},
        {"single-quoted strings", R"(['a"b', 'it\'s'])", json::array({"a\"b", "it's"})},
        {"double quote escaped in double-quoted", R"("\"")", "\""},
        {"single escapes", R"("\b\f\n\r\t\v\\\/\'")", "\b\f\n\r\t\v\\/'"},
        {"other characters escape to themselves", R"("\a\c\d\é\ \q")", "acdé q"},
        {"\\0 not followed by a digit", R"("a\0b")", std::string("a\0b", 3)},
        {"\\x escapes", R"("\x41\x7e\xe9")", "A~é"},
        {"\\u escapes and surrogate pair", R"("\u00e9\u4E2D\uD83D\uDE00")", "é中😀"},
        {"line continuation LF", "'a\\\nb'", "ab"},
        {"line continuation CRLF", "'a\\\r\nb'", "ab"},
        {"line continuation CR", "'a\\\rb'", "ab"},
        {"line continuation U+2028", "'a\\\u2028b'", "ab"},
        {"raw line and paragraph separators in strings", "'a\u2028b\u2029c'", "a\u2028b\u2029c"},
        {"raw tab and control characters in strings", "'a\tb\x01'", "a\tb\x01"},
        {"hexadecimal", "[0x1F, 0XfF, -0x10, +0x0]", json::array({31, 255, -16, 0})},
        {"leading decimal point", "[.5, -.25, +.5e1]", json::array({0.5, -0.25, 5.0})},
        {"trailing decimal point", "[5., -5.e1]", json::array({5.0, -50.0})},
        {"explicit plus sign", "[+1, +1.5, +0]", json::array({1, 1.5, 0})},
        {"exponents", "[1e3, 1E-2, 2e+2]", json::array({1000.0, 0.01, 200.0})},
        {"JSON5 white space", "\v\f\u00A0\uFEFF\u2028\u2029\u1680\u2000\u200A\u202F\u205F\u3000[1]",
         json::array({1})},
        {"byte-order mark", "\xEF\xBB\xBF{\"a\": 1}", json{{"a", 1}}},
        {"duplicate keys: the last wins", "{a: 1, 'a': 2, \"a\": 3}", json{{"a", 3}}},
        {"empty containers", "[{}, [], { }, [ ]]", json::parse("[{}, [], {}, []]")},
        {"nested values", "{a: {b: [{c: [[]]}]}}", json::parse(R"({"a":{"b":[{"c":[[]]}]}})")},
        {"non-ASCII string content", "\"日本語 ✓\"", "日本語 ✓"},
    };
    for (const auto& c : cases) {
        try {
            const json value = parseJson5(c.text);
            EXPECT_EQ(value, c.expected) << c.feature;
        } catch (const Json5ParseError& error) {
            ADD_FAILURE() << c.feature << ": " << error.what();
        }
    }
}

TEST(Json5, NonFiniteNumbers) {
    EXPECT_EQ(parseJson5("Infinity").get<double>(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(parseJson5("+Infinity").get<double>(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(parseJson5("-Infinity").get<double>(), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(parseJson5("NaN").get<double>()));
    EXPECT_TRUE(std::isnan(parseJson5("-NaN").get<double>()));
}

TEST(Json5, IntegersStayExact) {
    struct Case {
        std::string text;
        json expected;
    };
    const Case cases[] = {
        {"9007199254740993", json(std::uint64_t{9007199254740993ULL})},
        {"18446744073709551615", json(std::numeric_limits<std::uint64_t>::max())},
        {"-9223372036854775808", json(std::numeric_limits<std::int64_t>::min())},
        {"-9007199254740993", json(std::int64_t{-9007199254740993LL})},
        {"0xFFFFFFFFFFFFFFFF", json(std::numeric_limits<std::uint64_t>::max())},
        {"-0x8000000000000000", json(std::numeric_limits<std::int64_t>::min())},
        {"0x20000000000001", json(std::uint64_t{0x20000000000001ULL})},
    };
    for (const auto& c : cases) {
        const json value = parseJson5(c.text);
        EXPECT_TRUE(value.is_number_integer()) << c.text;
        EXPECT_EQ(value, c.expected) << c.text;
        EXPECT_EQ(value.dump(), c.expected.dump()) << c.text;
    }
    // Beyond 64 bits the value becomes a double, as in strict JSON readers.
    EXPECT_EQ(parseJson5("18446744073709551616").get<double>(), 18446744073709551616.0);
    EXPECT_EQ(parseJson5("-9223372036854775809").get<double>(), -9223372036854775808.0);
    EXPECT_EQ(parseJson5("0x10000000000000000").get<double>(), 18446744073709551616.0);
    EXPECT_TRUE(parseJson5("1.0").is_number_float());
    EXPECT_TRUE(parseJson5("1e2").is_number_float());
    EXPECT_EQ(parseJson5("1e400").get<double>(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(parseJson5("1e-400").get<double>(), 0.0);
    EXPECT_EQ(parseJson5("4.9e-324").get<double>(), std::numeric_limits<double>::denorm_min());
}

// What JSON5 forbids, each with the place the reader reports.
TEST(Json5, RefusesWhatJson5Forbids) {
    struct Refused {
        const char* what;
        std::string text;
        std::size_t line;
        std::size_t column;
    };
    const Refused cases[] = {
        {"empty text", "", 1, 1},
        {"only white space and comments", " // x\n", 2, 1},
        {"unterminated block comment", "1 /* x", 1, 3},
        {"single slash", "/ 1", 1, 1},
        {"two values", "1 2", 1, 3},
        {"unquoted string value", "[abc]", 1, 2},
        {"missing colon", "{a 1}", 1, 4},
        {"missing value", "{a:}", 1, 4},
        {"two commas", "[1,,2]", 1, 4},
        {"leading comma", "[,1]", 1, 2},
        {"comma alone in object", "{,}", 1, 2},
        {"unclosed array", "[1, 2", 1, 6},
        {"unclosed object", "{a: 1", 1, 6},
        {"key starting with a digit", "{1a: 1}", 1, 2},
        {"key with a hyphen", "{a-b: 1}", 1, 3},
        {"escape in key that is not a letter", R"({\u0020: 1})", 1, 2},
        {"non-\\u escape in key", R"({\x61: 1})", 1, 2},
        {"unterminated string", "'abc", 1, 1},
        {"raw line feed in string", "'a\nb'", 1, 3},
        {"raw carriage return in string", "\"a\rb\"", 1, 3},
        {"\\0 before a digit", R"('\01')", 1, 2},
        {"digit escape", R"('\1')", 1, 2},
        {"short \\x escape", R"('\x4')", 1, 2},
        {"short \\u escape", R"('\u00e')", 1, 2},
        {"lone high surrogate", R"('\uD800x')", 1, 2},
        {"lone low surrogate", R"('\uDC00')", 1, 2},
        {"high surrogate before a non-low escape", R"('\uD800\u0041')", 1, 2},
        {"leading zero", "01", 1, 2},
        {"leading zeros in negative", "-007", 1, 3},
        {"empty hexadecimal", "0x", 1, 3},
        {"hexadecimal fraction", "0x1.5", 1, 4},
        {"lone decimal point", ".", 1, 1},
        {"point and exponent only", ".e1", 1, 1},
        {"exponent without digits", "1e", 1, 3},
        {"exponent sign without digits", "1e+", 1, 4},
        {"sign alone", "-", 1, 2},
        {"two signs", "+-1", 1, 2},
        {"letter after number", "1a", 1, 2},
        {"identifier after Infinity", "Infinityx", 1, 9},
        {"lower-case infinity", "infinity", 1, 1},
        {"nan in lower case", "nan", 1, 1},
        {"undefined", "undefined", 1, 1},
        {"truncated literal", "tru", 1, 1},
        {"invalid UTF-8", "\"a\xff\"", 1, 3},
        {"truncated UTF-8", "\"\xe4\xb8\"", 1, 2},
        {"overlong UTF-8", "\"\xc0\xaf\"", 1, 2},
        {"UTF-8 encoded surrogate", "\"\xed\xa0\x80\"", 1, 2},
        {"code point beyond U+10FFFF", "\"\xf4\x90\x80\x80\"", 1, 2},
        {"error column counts characters", "{\"日本\": ?}", 1, 8},
        {"error line after CRLF", "[1,\r\n 2,\r\n x]", 3, 2},
        {"error line after U+2028", "[1,\u2028x]", 2, 1},
    };
    for (const auto& c : cases) {
        try {
            const json value = parseJson5(c.text);
            ADD_FAILURE() << c.what << ": accepted as " << value.dump();
        } catch (const Json5ParseError& error) {
            EXPECT_EQ(error.line(), c.line) << c.what << ": " << error.what();
            EXPECT_EQ(error.column(), c.column) << c.what << ": " << error.what();
        }
    }
}

TEST(Json5, NestingIsLimited) {
    const std::string fine = std::string(1000, '[') + std::string(1000, ']');
    EXPECT_NO_THROW(parseJson5(fine));
    const std::string objects = [] {
        std::string text;
        for (int i = 0; i < 1000; ++i) text += "{a:";
        return text + "1" + std::string(1000, '}');
    }();
    EXPECT_NO_THROW(parseJson5(objects));
    EXPECT_THROW(parseJson5(std::string(1001, '[') + std::string(1001, ']')), Json5ParseError);
    // Far beyond the limit: refused, not a stack overflow.
    EXPECT_THROW(parseJson5(std::string(1000000, '[')), Json5ParseError);
    EXPECT_THROW(parseJson5(std::string(500000, '{') + "a:"), Json5ParseError);
}

}  // namespace
}  // namespace corvane
