#include "model/language.h"

#include "model/text.h"

namespace corvane {

namespace {

// "en", "en-US", "en_GB.UTF-8", "en@latin": the language is what comes
// before the first separator.
std::string_view primarySubtag(std::string_view tag) {
    return tag.substr(0, tag.find_first_of("-_.@"));
}

}  // namespace

Language languageFromPreferences(const std::vector<std::string>& preferred) {
    for (const std::string& tag : preferred) {
        const std::string primary = asciiLowercased(primarySubtag(tag));
        if (primary == "en") return Language::english;
        if (primary == "zh") return Language::chinese;
    }
    return Language::chinese;
}

std::optional<Language> languageNamed(std::string_view name) {
    if (name == "zh") return Language::chinese;
    if (name == "en") return Language::english;
    return std::nullopt;
}

std::optional<std::string> languageArgument(const std::vector<std::string>& arguments) {
    constexpr std::string_view kFlag = "--lang";
    for (std::size_t k = 0; k < arguments.size(); ++k) {
        const std::string_view argument = arguments[k];
        if (argument == "--") break;
        if (argument == kFlag) {
            if (k + 1 < arguments.size()) return arguments[k + 1];
            break;
        }
        if (argument.starts_with(kFlag) && argument.size() > kFlag.size() &&
            argument[kFlag.size()] == '=') {
            return std::string(argument.substr(kFlag.size() + 1));
        }
    }
    return std::nullopt;
}

std::vector<std::string> withoutLanguageArgument(const std::vector<std::string>& arguments) {
    std::vector<std::string> rest;
    for (std::size_t k = 0; k < arguments.size(); ++k) {
        if (arguments[k] == "--") {
            rest.insert(rest.end(), arguments.begin() + static_cast<std::ptrdiff_t>(k),
                        arguments.end());
            break;
        }
        if (arguments[k] == "--lang") {
            ++k;
        } else if (!arguments[k].starts_with("--lang=")) {
            rest.push_back(arguments[k]);
        }
    }
    return rest;
}

Language startLanguage(const std::optional<std::string>& argument,
                       const std::vector<std::string>& preferred) {
    if (argument) {
        if (const std::optional<Language> named = languageNamed(*argument)) return *named;
    }
    return languageFromPreferences(preferred);
}

}  // namespace corvane
