#include "model/message_catalogue.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace corvane {

namespace {

constexpr std::uint32_t kMagic = 0x950412de;

class MoBytes {
public:
    explicit MoBytes(std::span<const unsigned char> bytes) : bytes_(bytes) {
        if (bytes_.size() < 28) fail("too short");
        const std::uint32_t magic = word(0);
        if (magic != kMagic) {
            swapped_ = true;
            if (word(0) != kMagic) fail("not a compiled gettext catalogue");
        }
        if ((word(4) >> 16) > 1) fail("a newer major revision");
    }

    std::uint32_t word(std::size_t at) const {
        if (at > bytes_.size() || bytes_.size() - at < 4) fail("a table runs past the end");
        const unsigned char* p = bytes_.data() + at;
        if (swapped_) {
            return std::uint32_t{p[3]} | std::uint32_t{p[2]} << 8 | std::uint32_t{p[1]} << 16 |
                   std::uint32_t{p[0]} << 24;
        }
        return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
               std::uint32_t{p[3]} << 24;
    }

    // The string that the table's entry at `at` describes (length, offset).
    std::string_view string(std::size_t at) const {
        const std::size_t length = word(at);
        const std::size_t offset = word(at + 4);
        if (offset > bytes_.size() || bytes_.size() - offset <= length) {
            fail("a string runs past the end");
        }
        return {reinterpret_cast<const char*>(bytes_.data()) + offset, length};
    }

    [[noreturn]] static void fail(const char* why) {
        throw std::invalid_argument(std::string("message catalogue: ") + why);
    }

private:
    std::span<const unsigned char> bytes_;
    bool swapped_ = false;
};

std::string_view form(std::string_view forms, unsigned long index) {
    for (; index > 0; --index) {
        const std::size_t end = forms.find('\0');
        if (end == std::string_view::npos) return {};
        forms.remove_prefix(end + 1);
    }
    return forms.substr(0, forms.find('\0'));
}

}  // namespace

MessageCatalogue MessageCatalogue::read(std::span<const unsigned char> bytes) {
    const MoBytes mo(bytes);
    const std::size_t count = mo.word(8);
    const std::size_t originals = mo.word(12);
    const std::size_t translations = mo.word(16);
    MessageCatalogue catalogue;
    catalogue.entries_.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        const std::string_view original = mo.string(originals + 8 * k);
        const std::string_view translation = mo.string(translations + 8 * k);
        if (original.empty()) {
            catalogue.plural_ = PluralRule::fromHeader(translation);
            continue;
        }
        catalogue.entries_.push_back({original.substr(0, original.find('\0')), translation});
    }
    std::sort(catalogue.entries_.begin(), catalogue.entries_.end(),
              [](const Entry& a, const Entry& b) { return a.id < b.id; });
    return catalogue;
}

const MessageCatalogue::Entry* MessageCatalogue::entryFor(std::string_view id) const {
    const auto found =
        std::lower_bound(entries_.begin(), entries_.end(), id,
                         [](const Entry& entry, std::string_view key) { return entry.id < key; });
    if (found == entries_.end() || found->id != id) return nullptr;
    return &*found;
}

std::optional<std::string_view> MessageCatalogue::find(std::string_view id) const {
    const Entry* entry = entryFor(id);
    if (entry == nullptr) return std::nullopt;
    return form(entry->translation, 0);
}

std::optional<std::string_view> MessageCatalogue::findPlural(std::string_view id,
                                                             unsigned long count) const {
    const Entry* entry = entryFor(id);
    if (entry == nullptr) return std::nullopt;
    return form(entry->translation, plural_.formFor(count));
}

std::vector<std::string_view> MessageCatalogue::ids() const {
    std::vector<std::string_view> ids;
    ids.reserve(entries_.size());
    for (const Entry& entry : entries_) ids.push_back(entry.id);
    return ids;
}

}  // namespace corvane
