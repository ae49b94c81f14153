#include "check/listed_models.h"

#include <cstring>
#include <functional>
#include <vector>

namespace corvane {

namespace {

constexpr std::uint32_t kNameFollows = std::uint32_t{1} << 31;
constexpr std::uint32_t kEmpty = UINT32_MAX;

void appendLength(std::string& text, std::uint32_t length) {
    text.append(reinterpret_cast<const char*>(&length), sizeof length);
}

std::uint32_t lengthAt(const std::string& text, std::size_t place) {
    std::uint32_t length = 0;
    std::memcpy(&length, text.data() + place, sizeof length);
    return length;
}

std::string_view idAt(const std::string& text, std::size_t place) {
    return std::string_view(text).substr(place + sizeof(std::uint32_t),
                                         lengthAt(text, place) & ~kNameFollows);
}

// The IDs already kept, found through their hashes and their places in the
// text: a look at the text only when the hashes match.
class KeptIds {
public:
    // At most seven slots in eight are taken, so that a search soon ends at
    // an empty one.
    explicit KeptIds(std::size_t count) {
        std::size_t size = 64;
        while (count * 8 > size * 7) size *= 2;
        slots_.assign(size, {kEmpty, 0});
    }

    // Keeps the place in `text` where this ID will be; false when an equal ID
    // was kept before.
    bool keep(std::string_view id, std::uint32_t place, const std::string& text) {
        const auto hash = static_cast<std::uint32_t>(std::hash<std::string_view>()(id));
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t index = hash & mask;; index = (index + 1) & mask) {
            Slot& slot = slots_[index];
            if (slot.place == kEmpty) {
                slot = {place, hash};
                return true;
            }
            if (slot.hash == hash && idAt(text, slot.place) == id) return false;
        }
    }

private:
    struct Slot {
        std::uint32_t place;
        std::uint32_t hash;
    };
    std::vector<Slot> slots_;
};

}  // namespace

ListedModels::ListedModels(std::size_t listingBytes) { text_.reserve(listingBytes); }

void ListedModels::add(const ListedModel& model) {
    // A listing is bounded far below 2 GiB.
    const auto idLength = static_cast<std::uint32_t>(model.id.size());
    appendLength(text_, model.name ? idLength | kNameFollows : idLength);
    text_.append(model.id);
    if (model.name) {
        appendLength(text_, static_cast<std::uint32_t>(model.name->size()));
        text_.append(*model.name);
    }
    ++count_;
}

void ListedModels::dropRepeats() {
    KeptIds kept(count_);
    std::size_t written = 0;
    count_ = 0;
    for (std::size_t place = 0; place < text_.size();) {
        const std::size_t next = Iterator::after(text_, place);
        // A listing is bounded far below 4 GiB.
        if (kept.keep(idAt(text_, place), static_cast<std::uint32_t>(written), text_)) {
            // Kept models only move towards the front, over dropped ones.
            std::memmove(text_.data() + written, text_.data() + place, next - place);
            written += next - place;
            ++count_;
        }
        place = next;
    }
    text_.resize(written);
}

ListedModel ListedModels::Iterator::operator*() const {
    ListedModel model{.id = idAt(*text_, place_), .name = std::nullopt};
    if ((lengthAt(*text_, place_) & kNameFollows) != 0) {
        const std::size_t namePlace = place_ + sizeof(std::uint32_t) + model.id.size();
        model.name = std::string_view(*text_).substr(namePlace + sizeof(std::uint32_t),
                                                     lengthAt(*text_, namePlace));
    }
    return model;
}

std::size_t ListedModels::Iterator::after(const std::string& text, std::size_t place) {
    const std::uint32_t idLength = lengthAt(text, place);
    place += sizeof(std::uint32_t) + (idLength & ~kNameFollows);
    if ((idLength & kNameFollows) != 0) place += sizeof(std::uint32_t) + lengthAt(text, place);
    return place;
}

ListedModels::Iterator& ListedModels::Iterator::operator++() {
    place_ = after(*text_, place_);
    return *this;
}

}  // namespace corvane
