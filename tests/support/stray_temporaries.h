#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace corvane::testing {

// Names of the atomic write's temporary files (".corvane-" and a 36-character
// UUID) in a folder: what a failed or interrupted write may leave behind.
std::vector<std::string> strayTemporaries(const std::filesystem::path& folder);

}  // namespace corvane::testing
