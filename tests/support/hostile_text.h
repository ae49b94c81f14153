#pragma once

#include <string>
#include <vector>

namespace corvane::testing {

// Text a hostile gateway or file may hand over, and how the terminal and the
// window must show it. `fromUser`: a model's display name may hold it too
// (the form refuses control characters there).
struct HostileText {
    std::string raw;
    std::string shown;
    bool fromUser = false;
};

inline const std::vector<HostileText>& hostileTexts() {
    static const std::vector<HostileText> texts = {
        {"plain-model", "plain-model", true},
        {"tab\there", "tab\there", false},
        {"\x1b[2J\x1b]0;owned\x07", "\\x1b[2J\\x1b]0;owned\\x07", false},
        {"next\nrow\r\n", "next\\x0arow\\x0d\\x0a", false},
        {"nul\x7f\x01", "nul\\x7f\\x01", false},
        {"c1\u009b31m\u0085", "c1\\u009b31m\\u0085", false},
        {"gpt\u202Eevil\u202C", "gpt\\u202eevil\\u202c", true},
        {"\u2066iso\u2069\u2067\u2068", "\\u2066iso\\u2069\\u2067\\u2068", true},
        {"line\u2028sep", "line\\u2028sep", true},
        {"bad\xff\xc0utf8", "bad\\xff\\xc0utf8", false},
        {"中文模型-1", "中文模型-1", true},
    };
    return texts;
}

}  // namespace corvane::testing
