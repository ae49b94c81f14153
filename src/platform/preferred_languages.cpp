#include "platform/preferred_languages.h"

#include <string_view>

namespace corvane {

std::vector<std::string> preferredLanguagesFromEnvironment(
    const std::function<const char*(const char*)>& variable) {
    std::string_view locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = variable(name);
        if (value != nullptr && *value != '\0') {
            locale = value;
            break;
        }
    }
    if (locale.empty() || locale == "C" || locale == "POSIX" || locale.starts_with("C.")) {
        return {};
    }
    std::vector<std::string> preferred;
    const char* list = variable("LANGUAGE");
    std::string_view rest = list != nullptr ? list : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view entry = rest.substr(0, colon);
        if (!entry.empty()) preferred.emplace_back(entry);
        rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    }
    preferred.emplace_back(locale);
    return preferred;
}

}  // namespace corvane
