#pragma once

#include <string>

namespace corvane::testing {

// Applies a unified diff with the system's `patch -p1` in the root folder, the
// way a user would apply a preview; true when patch accepted every hunk.
bool applyPatch(const std::string& diff);

}  // namespace corvane::testing
