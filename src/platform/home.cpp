#include "platform/home.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/platform_error.h"

namespace corvane {
namespace {

const passwd* currentUserEntry(std::vector<char>& buffer, passwd& entry) {
    passwd* result = nullptr;
    buffer.resize(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) != 0) return nullptr;
    return result;
}

}  // namespace

std::filesystem::path homeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    std::vector<char> buffer;
    passwd entry{};
    const passwd* user = currentUserEntry(buffer, entry);
    if (user == nullptr || user->pw_dir == nullptr) {
        throw PlatformError("no home directory for the current user");
    }
    return user->pw_dir;
}

std::string userName() {
    std::vector<char> buffer;
    passwd entry{};
    const passwd* user = currentUserEntry(buffer, entry);
    if (user == nullptr || user->pw_name == nullptr) {
        throw PlatformError("no login name for the current user");
    }
    return user->pw_name;
}

}  // namespace corvane
