#pragma once

#include <stdexcept>
#include <string>

namespace corvane {

// A failure the system itself detected. `text` is the finished sentence the
// user sees, unchanged, in the status line. `detail` is what a user or a
// support request needs to act on it: the path involved and the operating
// system's reason; empty when the sentence says it all. Neither ever holds a
// key.
class SetupError : public std::runtime_error {
public:
    explicit SetupError(const std::string& text, std::string detail = {})
        : std::runtime_error(text), detail_(std::move(detail)) {}
    std::string text() const { return what(); }
    const std::string& detail() const { return detail_; }

private:
    std::string detail_;
};

}  // namespace corvane
