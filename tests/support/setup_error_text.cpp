#include "support/setup_error_text.h"

#include "model/setup_error.h"

namespace corvane::testing {

std::string setupErrorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const SetupError& error) {
        return error.text();
    }
    return "(no SetupError)";
}

}  // namespace corvane::testing
