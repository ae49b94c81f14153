#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace corvane {

// The user defaults store shared by the window and the command line: on macOS
// the application's defaults domain, elsewhere the settings file
// $XDG_CONFIG_HOME/Corvane/Corvane Setup.conf (or ~/.config/...). Its only use
// is the configuration path remembered per client, a convenience: a store
// that cannot be read holds nothing, and a failed write leaves it as it was.
class UserDefaults {
public:
    std::optional<std::string> value(const std::string& key) const;
    void setValue(const std::string& key, const std::string& value);
    void remove(const std::string& key);
};

#ifndef __APPLE__
// Where the settings file is.
std::filesystem::path userDefaultsFile();
#endif

}  // namespace corvane
