#pragma once

#include <functional>
#include <string>
#include <vector>

namespace corvane {

// The user's preferred languages, most preferred first, as the system spells
// them ("en-US", "zh-Hans-CN", "en_GB.UTF-8"): on macOS the list the user
// orders in System Settings (CFLocale's, from AppleLanguages), elsewhere the
// environment as gettext reads it.
std::vector<std::string> preferredLanguages();

// gettext's reading of the environment: the messages locale is the first of
// LC_ALL, LC_MESSAGES and LANG that is set and not empty; LANGUAGE's
// colon-separated list comes before it, except that in the C locale gettext
// translates nothing, so the list is then empty.
std::vector<std::string> preferredLanguagesFromEnvironment(
    const std::function<const char*(const char*)>& variable);

}  // namespace corvane
