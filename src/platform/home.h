#pragma once

#include <filesystem>
#include <string>

namespace corvane {

// The user's home directory: $HOME when set and not empty, else the password
// database entry of the current user. Throws PlatformError when neither exists.
std::filesystem::path homeDirectory();

// The login name of the current user (the password database entry).
// Throws PlatformError when it cannot be found.
std::string userName();

}  // namespace corvane
