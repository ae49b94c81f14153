#pragma once

#include <functional>
#include <string>

namespace corvane::testing {

struct ThrownSetupError {
    std::string text;
    std::string detail;
};

// The sentence and detail of the SetupError the action throws; the text is
// "(no SetupError)" when it throws none.
ThrownSetupError thrownSetupError(const std::function<void()>& action);

// The text of the SetupError the action throws, or "(no SetupError)".
std::string setupErrorText(const std::function<void()>& action);

}  // namespace corvane::testing
