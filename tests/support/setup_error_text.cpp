#include "support/setup_error_text.h"

#include "model/setup_error.h"

namespace corvane::testing {

ThrownSetupError thrownSetupError(const std::function<void()>& action) {
    try {
        action();
    } catch (const SetupError& error) {
        return {error.text(), error.detail()};
    }
    return {"(no SetupError)", {}};
}

std::string setupErrorText(const std::function<void()>& action) {
    return thrownSetupError(action).text;
}

}  // namespace corvane::testing
