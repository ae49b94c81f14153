#pragma once

#include <filesystem>
#include <string>

namespace corvane {

// A path as people read it: the home folder as "~" ("~/.codex/config.toml");
// a path outside the home folder as it is.
std::string homeRelativePath(const std::filesystem::path& path);

}  // namespace corvane
