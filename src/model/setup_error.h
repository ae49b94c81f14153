#pragma once

#include <stdexcept>
#include <string>

namespace corvane {

// A failure the system itself detected. `text` is the finished sentence the
// user sees, unchanged, in the status line.
class SetupError : public std::runtime_error {
public:
    explicit SetupError(const std::string& text) : std::runtime_error(text) {}
    std::string text() const { return what(); }
};

}  // namespace corvane
