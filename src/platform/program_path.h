#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace corvane {

// Where a command runs its program from: an absolute path as written, a bare
// name looked up in each folder of $PATH. Nothing when that is not an
// executable file, or when the command is a relative path.
std::optional<std::filesystem::path> resolveProgram(std::string_view command);

}  // namespace corvane
