#pragma once

#include <stdexcept>
#include <string>

namespace corvane {

// A failure reported by the operating system. Its text is for diagnostics; a
// front end shows its own fallback sentence instead.
class PlatformError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised by every wait when the running task has been asked to stop.
class OperationCancelled : public std::runtime_error {
public:
    OperationCancelled() : std::runtime_error("operation cancelled") {}
};

}  // namespace corvane
