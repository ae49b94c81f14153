#pragma once

#include <string>
#include <string_view>

namespace corvane {

// The plural rule of a gettext catalogue, from the "Plural-Forms" line of its
// header ("nplurals=2; plural=(n != 1);"): which of a message's forms fits a
// count. The formula is the C subset gettext allows: n, numbers, parentheses,
// ! * / % + - < <= > >= == != && || and ?:.
class PluralRule {
public:
    // One form for every count, as Chinese has.
    PluralRule() = default;
    // Throws std::invalid_argument when the line is not a rule gettext would
    // accept.
    static PluralRule fromHeader(std::string_view header);

    unsigned long formFor(unsigned long n) const;
    unsigned long forms() const { return forms_; }

private:
    unsigned long forms_ = 1;
    std::string formula_ = "0";
};

}  // namespace corvane
