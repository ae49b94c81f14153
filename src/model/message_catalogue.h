#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/plural_rule.h"

namespace corvane {

// One compiled gettext catalogue (a .mo file as msgfmt writes it), read from
// bytes that outlive it: the catalogues are compiled into the program, so no
// lookup depends on the locales a system has installed.
class MessageCatalogue {
public:
    // Throws std::invalid_argument when the bytes are not a catalogue.
    static MessageCatalogue read(std::span<const unsigned char> bytes);

    // The text for `id`, or nothing when the catalogue lacks it.
    std::optional<std::string_view> find(std::string_view id) const;
    // The form of a plural entry that fits `count`.
    std::optional<std::string_view> findPlural(std::string_view id, unsigned long count) const;
    // Every entry's identifier, the header's empty one left out.
    std::vector<std::string_view> ids() const;

private:
    struct Entry {
        std::string_view id;           // msgid, without a plural's msgid_plural
        std::string_view translation;  // forms separated by NUL
    };
    const Entry* entryFor(std::string_view id) const;

    std::vector<Entry> entries_;  // sorted by id
    PluralRule plural_;
};

}  // namespace corvane
