#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "model/language.h"

namespace corvane {

// A value put into a sentence where its text says "{name}".
struct Placeholder {
    std::string_view name;
    std::string_view value;
};

// The language every sentence is looked up in. A front end sets it once, as
// the first thing it does, before any other thread exists; from then on it is
// only read (tests may switch it between cases).
void chooseLanguage(Language language);
Language chosenLanguage();

// The sentence `id` in the chosen language, its placeholders filled in. An id
// the catalogue lacks comes back as itself, as gettext does; a test over the
// catalogues keeps that from reaching a user.
std::string translated(std::string_view id, std::initializer_list<Placeholder> values = {});
// A sentence with a count in it: the form that fits `count` ({count} holds it).
std::string translatedCount(std::string_view id, std::string_view pluralId, unsigned long count,
                            std::initializer_list<Placeholder> values = {});

// The same in a given language, whatever was chosen.
std::string translatedIn(Language language, std::string_view id,
                         std::initializer_list<Placeholder> values = {});
std::string translatedCountIn(Language language, std::string_view id, std::string_view pluralId,
                              unsigned long count, std::initializer_list<Placeholder> values = {});

// Every id a language's catalogue holds.
std::vector<std::string_view> catalogueIds(Language language);

}  // namespace corvane
