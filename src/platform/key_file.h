#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// The keys of one group ("[Desktop Entry]") of an XDG key file, values as
// written (escapes kept). Localized keys ("Name[de]") are left out; the first
// of a repeated key counts. Nothing when the file cannot be read, is larger
// than a key file ever is, or has no such group.
std::optional<std::map<std::string, std::string>> keyFileGroup(const std::filesystem::path& file,
                                                               std::string_view group);

}  // namespace corvane
