#pragma once

#include <functional>
#include <string>

namespace corvane::testing {

// The text of the SetupError the action throws, or "(no SetupError)".
std::string setupErrorText(const std::function<void()>& action);

}  // namespace corvane::testing
