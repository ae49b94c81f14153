#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The languages the catalogue is written in. Chinese is the product's own.
enum class Language { chinese, english };

// The language for a user whose preferred languages are `preferred`, most
// preferred first, in any of the spellings systems use ("en-US", "en_GB.UTF-8",
// "zh-Hans-CN"): English when an English entry comes before any Chinese one,
// Chinese otherwise.
Language languageFromPreferences(const std::vector<std::string>& preferred);

// The language a command line names: "zh" or "en".
std::optional<Language> languageNamed(std::string_view name);

// The value of the first "--lang X" or "--lang=X" among a program's
// arguments (its name left out). The front ends read it before anything else
// parses the arguments, so that every text, help included, is in it.
std::optional<std::string> languageArgument(const std::vector<std::string>& arguments);

// The arguments without "--lang X" or "--lang=X" (after "--", nothing is
// taken out: a link there is passed on as it is).
std::vector<std::string> withoutLanguageArgument(const std::vector<std::string>& arguments);

// The language a program starts in: the one its "--lang" names, else the
// user's preferred one.
Language startLanguage(const std::optional<std::string>& argument,
                       const std::vector<std::string>& preferred);

}  // namespace corvane
