#pragma once

#include <optional>
#include <string>

namespace corvane {

// The user defaults store shared by the window and the command line (on macOS
// the application's defaults domain). Its only use is the configuration path
// remembered per client.
class UserDefaults {
public:
    std::optional<std::string> value(const std::string& key) const;
    void setValue(const std::string& key, const std::string& value);
    void remove(const std::string& key);
};

}  // namespace corvane
