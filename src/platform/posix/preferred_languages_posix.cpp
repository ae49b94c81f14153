#include <cstdlib>

#include "platform/preferred_languages.h"

namespace corvane {

std::vector<std::string> preferredLanguages() {
    return preferredLanguagesFromEnvironment([](const char* name) { return std::getenv(name); });
}

}  // namespace corvane
