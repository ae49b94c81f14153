#include "platform/preferred_languages.h"

#include <gtest/gtest.h>

#include <map>

namespace corvane {
namespace {

TEST(PreferredLanguages, ReadTheEnvironmentAsGettextDoes) {
    struct Case {
        std::map<std::string, std::string> environment;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {{}, {}},
        {{{"LANG", "en_US.UTF-8"}}, {"en_US.UTF-8"}},
        {{{"LANG", "zh_CN.UTF-8"}, {"LC_MESSAGES", "en_GB.UTF-8"}}, {"en_GB.UTF-8"}},
        {{{"LANG", "zh_CN.UTF-8"}, {"LC_ALL", "en_US.UTF-8"}, {"LC_MESSAGES", "fr_FR"}},
         {"en_US.UTF-8"}},
        {{{"LANG", "en_US.UTF-8"}, {"LC_ALL", ""}}, {"en_US.UTF-8"}},
        {{{"LANG", "fr_FR.UTF-8"}, {"LANGUAGE", "de::en:zh"}}, {"de", "en", "zh", "fr_FR.UTF-8"}},
        // In the C locale gettext ignores LANGUAGE.
        {{{"LANG", "C"}, {"LANGUAGE", "en"}}, {}},
        {{{"LC_ALL", "C.UTF-8"}, {"LANGUAGE", "en"}}, {}},
        {{{"LC_ALL", "POSIX"}}, {}},
    };
    for (const Case& c : cases) {
        const auto variable = [&](const char* name) -> const char* {
            const auto found = c.environment.find(name);
            return found == c.environment.end() ? nullptr : found->second.c_str();
        };
        EXPECT_EQ(preferredLanguagesFromEnvironment(variable), c.expected);
    }
}

}  // namespace
}  // namespace corvane
