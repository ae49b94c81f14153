#include "model/messages.h"

#include <atomic>

#include "model/compiled_catalogues.h"
#include "model/message_catalogue.h"

namespace corvane {

namespace {

// Set before any worker thread starts; atomic so that a test switching it
// between cases stays well-defined too.
std::atomic<Language> chosen{Language::chinese};

const MessageCatalogue& catalogueOf(Language language) {
    static const MessageCatalogue chinese =
        MessageCatalogue::read(compiledCatalogue(Language::chinese));
    static const MessageCatalogue english =
        MessageCatalogue::read(compiledCatalogue(Language::english));
    return language == Language::english ? english : chinese;
}

std::string filledIn(std::string_view text, std::initializer_list<Placeholder> values,
                     std::string_view count = {}) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t open = text.find('{');
        const std::size_t close = open == std::string_view::npos ? open : text.find('}', open);
        if (close == std::string_view::npos) break;
        out.append(text.substr(0, open));
        const std::string_view name = text.substr(open + 1, close - open - 1);
        const Placeholder* value = nullptr;
        for (const Placeholder& candidate : values) {
            if (candidate.name == name) value = &candidate;
        }
        if (value != nullptr) {
            out.append(value->value);
        } else if (name == "count" && count.data() != nullptr) {
            out.append(count);
        } else {
            out.append(text.substr(open, close - open + 1));
        }
        text.remove_prefix(close + 1);
    }
    out.append(text);
    return out;
}

}  // namespace

void chooseLanguage(Language language) { chosen.store(language, std::memory_order_relaxed); }

Language chosenLanguage() { return chosen.load(std::memory_order_relaxed); }

std::string translated(std::string_view id, std::initializer_list<Placeholder> values) {
    return translatedIn(chosenLanguage(), id, values);
}

std::string translatedCount(std::string_view id, std::string_view pluralId, unsigned long count,
                            std::initializer_list<Placeholder> values) {
    return translatedCountIn(chosenLanguage(), id, pluralId, count, values);
}

std::string translatedIn(Language language, std::string_view id,
                         std::initializer_list<Placeholder> values) {
    return filledIn(catalogueOf(language).find(id).value_or(id), values);
}

std::string translatedCountIn(Language language, std::string_view id, std::string_view pluralId,
                              unsigned long count, std::initializer_list<Placeholder> values) {
    const std::string number = std::to_string(count);
    const std::string_view fallback = count == 1 ? id : pluralId;
    return filledIn(catalogueOf(language).findPlural(id, count).value_or(fallback), values, number);
}

std::vector<std::string_view> catalogueIds(Language language) {
    return catalogueOf(language).ids();
}

}  // namespace corvane
