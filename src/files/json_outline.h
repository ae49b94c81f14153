#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// Where the pieces of a JSON5 text stand, so that an edit can replace one
// value's bytes and leave every other byte alone. Only texts that parseJson5
// has already read without error may be outlined: the scanner trusts them.

// One member of an object (with its key) or one element of an array.
struct JsonItemSpan {
    std::size_t start = 0;  // the key's first byte, or the element's
    std::size_t valueStart = 0;
    std::size_t valueEnd = 0;
    std::size_t comma = std::string_view::npos;  // the comma after it, when there is one
    std::string key;                             // decoded; empty for elements

    // Just past the item and its comma.
    std::size_t end() const { return comma == std::string_view::npos ? valueEnd : comma + 1; }
};

// The items of one object or array, nested values skipped over.
struct JsonContainerSpan {
    std::size_t open = 0;   // the "{" or "["
    std::size_t close = 0;  // the matching "}" or "]"
    std::vector<JsonItemSpan> items;
};

// Where the top-level value starts (after a byte-order mark, spaces and
// comments).
std::size_t jsonRootStart(std::string_view text);

// The container whose "{" or "[" stands at `open`.
JsonContainerSpan outlineJsonContainer(std::string_view text, std::size_t open);

// Just past the value that starts at `start`.
std::size_t jsonValueEnd(std::string_view text, std::size_t start);

}  // namespace corvane
