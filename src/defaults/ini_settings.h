#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// The settings file in the INI form that Qt's QSettings reads and writes on
// Linux, so that remembered paths stored by earlier builds are still found.
// Only the root group ("[General]") is read or changed; keys and values are
// UTF-8.

// The string stored under `key`, or nullopt when the key is absent or holds
// something other than a string.
std::optional<std::string> iniValue(std::string_view text, std::string_view key);

// `text` with `key` set to `value`, or removed when `value` is nullopt. Every
// other line stays as it stands.
std::string withIniValue(std::string_view text, std::string_view key,
                         const std::optional<std::string>& value);

}  // namespace corvane
