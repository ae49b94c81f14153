#include "support/catalogue_text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace corvane::testing {

namespace {

void expectKnown(Language language, std::string_view id) {
    const std::vector<std::string_view> ids = catalogueIds(language);
    if (!std::binary_search(ids.begin(), ids.end(), id)) {
        ADD_FAILURE() << "the catalogue has no entry " << id;
    }
}

}  // namespace

std::string zh(std::string_view id, std::initializer_list<Placeholder> values) {
    expectKnown(Language::chinese, id);
    return translatedIn(Language::chinese, id, values);
}

std::string zhCount(std::string_view id, std::string_view pluralId, unsigned long count,
                    std::initializer_list<Placeholder> values) {
    expectKnown(Language::chinese, id);
    return translatedCountIn(Language::chinese, id, pluralId, count, values);
}

std::string en(std::string_view id, std::initializer_list<Placeholder> values) {
    expectKnown(Language::english, id);
    return translatedIn(Language::english, id, values);
}

std::string enCount(std::string_view id, std::string_view pluralId, unsigned long count,
                    std::initializer_list<Placeholder> values) {
    expectKnown(Language::english, id);
    return translatedCountIn(Language::english, id, pluralId, count, values);
}

}  // namespace corvane::testing
