#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// A string entry of an application bundle's information dictionary
// (Contents/Info.plist); nothing when the folder is not a bundle, the entry is
// missing or it is not a string.
std::optional<std::string> bundleInfoString(const std::filesystem::path& bundle,
                                            std::string_view key);

// Whether the running system is at least this macOS version. Other systems
// have no macOS version to compare and always pass.
bool isSystemVersionAtLeast(int major, int minor, int patch);

}  // namespace corvane
