#pragma once

#include <string>
#include <string_view>

namespace corvane {

// A text of many lines (a diff) shown line by line as displayable
// (model/text.h) shows one: every line keeps its own ending ("\n", or
// "\r\n"), and nothing else breaks one.
std::string displayableLines(std::string_view text);

}  // namespace corvane
