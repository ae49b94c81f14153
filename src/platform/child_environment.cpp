#include "platform/child_environment.h"

#include <string_view>

extern char** environ;

namespace corvane {

std::vector<char*> childEnvironment() {
    std::vector<char*> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string_view text(*entry);
        if (text.substr(0, text.find('=')) != kApiKeyVariable) entries.push_back(*entry);
    }
    entries.push_back(nullptr);
    return entries;
}

}  // namespace corvane
