#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>

namespace corvane {

// A JSON5 text that does not parse. Line and column count from 1; the column
// counts characters of the line. Its text says where and why.
class Json5ParseError : public std::runtime_error {
public:
    Json5ParseError(const std::string& reason, std::size_t line, std::size_t column);
    std::size_t line() const { return line_; }
    std::size_t column() const { return column_; }
    // Why, without the place.
    const std::string& reason() const { return reason_; }

private:
    std::string reason_;
    std::size_t line_;
    std::size_t column_;
};

// Reads a JSON5 text (which includes all of JSON). Integers stay exact;
// duplicate keys: the last wins; a leading UTF-8 byte-order mark is skipped.
nlohmann::json parseJson5(std::string_view text);

}  // namespace corvane
