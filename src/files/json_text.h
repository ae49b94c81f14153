#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

namespace corvane {

// Raised instead of writing a value JSON cannot hold (NaN, ±Infinity), which
// would otherwise be written as null and corrupt a user's file.
class JsonWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Pretty-printed, keys sorted, "/" unescaped, non-ASCII as UTF-8: the form of
// every configuration file the tool writes.
std::string prettyJSON(const nlohmann::json& value);

// The same with "/" written as "\/", for files whose readers expect it.
std::string prettyJSONEscapingSlashes(const nlohmann::json& value);

// Compact, keys sorted, "/" written as "\/".
std::string compactJSONEscapingSlashes(const nlohmann::json& value);

// JSON for a terminal to show (the command line's --json outputs): keys
// sorted, non-ASCII as UTF-8, but every character displayable (model/text.h)
// escapes written as \uXXXX, so that a JSON reader gets the same value and
// the terminal none of those characters raw. Bytes that are not UTF-8, which
// JSON cannot hold, become U+FFFD rather than an error. `indent` as
// nlohmann's dump (-1: compact).
std::string displayableJSON(const nlohmann::json& value, int indent = -1);

}  // namespace corvane
