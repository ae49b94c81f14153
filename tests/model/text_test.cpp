#include "model/text.h"

#include <gtest/gtest.h>

#include "model/displayable_lines.h"
#include "support/hostile_text.h"

namespace corvane {
namespace {

TEST(Text, TrimsUnicodeWhitespaceButNotOtherCharacters) {
    struct Case {
        std::string input;
        std::string expected;
    };
    const Case cases[] = {
        {" \t\r\nabc\n ", "abc"},
        {"\u3000key\u3000", "key"},              // full-width space
        {"\u00A0key\u202F", "key"},              // no-break spaces
        {"\u2028\u2029\u0085key\u205F", "key"},  // separators and next line
        {"\v\fkey\u1680\u200A", "key"},
        {"a b", "a b"},
        {"\u200Bkey", "\u200Bkey"},  // zero-width space is not white space
        {"\xFFkey\xFF", "\xFFkey\xFF"},
        {"   ", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(trimmed(c.input), c.expected) << c.input;
}

TEST(Text, FindsWhitespaceInside) {
    EXPECT_TRUE(containsWhitespaceOrNewline("gpt\u30004o"));
    EXPECT_TRUE(containsWhitespaceOrNewline("a\tb"));
    EXPECT_FALSE(containsWhitespaceOrNewline("模型-1"));
    EXPECT_FALSE(containsWhitespaceOrNewline("\xE3\x80"));  // truncated U+3000
}

TEST(Text, ValidatesUtf8) {
    EXPECT_TRUE(isValidUtf8("plain 中文 \U0001F600"));
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE4\xB8", "\x80"}) {
        EXPECT_FALSE(isValidUtf8(bad)) << bad;
    }
}

TEST(Text, ShowsForeignTextEscaped) {
    for (const testing::HostileText& text : testing::hostileTexts()) {
        EXPECT_EQ(displayable(text.raw), text.shown) << text.shown;
    }
    EXPECT_EQ(displayableLines("a\x1b\r\nb\rc\n\u202e"), "a\\x1b\r\nb\\x0dc\n\\u202e");
    // NUL is part of the text, not its end.
    EXPECT_EQ(displayable(std::string("a\0b", 3)), "a\\x00b");
}

}  // namespace
}  // namespace corvane
