#include "check/listed_models.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace corvane {

namespace {

constexpr std::uint32_t kEmpty = UINT32_MAX;

// Lengths take seven bits a byte, so that most take one.
void appendNumber(std::string& text, std::size_t number) {
    for (; number >= 0x80; number >>= 7) text += static_cast<char>(0x80 | (number & 0x7F));
    text += static_cast<char>(number);
}

std::size_t numberAt(const std::string& text, std::size_t& place) {
    std::size_t number = 0;
    for (unsigned shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(text[place++]);
        number |= std::size_t{byte & 0x7FU} << shift;
        if (byte < 0x80) return number;
    }
}

struct Record {
    ListedModel model;
    std::size_t end = 0;
};

// A model is kept as twice its ID's length, plus one when a name follows;
// the ID; then the name's length and the name.
Record recordAt(const std::string& text, std::size_t place) {
    const std::string_view all(text);
    const std::size_t idNumber = numberAt(text, place);
    Record record{.model = {.id = all.substr(place, idNumber / 2), .name = std::nullopt}};
    place += idNumber / 2;
    if (idNumber % 2 != 0) {
        const std::size_t nameLength = numberAt(text, place);
        record.model.name = all.substr(place, nameLength);
        place += nameLength;
    }
    record.end = place;
    return record;
}

void appendRecord(std::string& text, const ListedModel& model) {
    appendNumber(text, model.id.size() * 2 + (model.name ? 1 : 0));
    text.append(model.id);
    if (model.name) {
        appendNumber(text, model.name->size());
        text.append(*model.name);
    }
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
            if (slot.hash == hash && recordAt(text, slot.place).model.id == id) return false;
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
    appendRecord(text_, model);
    ++count_;
}

void ListedModels::dropRepeats() {
    KeptIds kept(count_);
    std::size_t written = 0;
    count_ = 0;
    for (std::size_t place = 0; place < text_.size();) {
        const Record record = recordAt(text_, place);
        // A listing is bounded far below 4 GiB.
        if (kept.keep(record.model.id, static_cast<std::uint32_t>(written), text_)) {
            // Kept models only move towards the front, over dropped ones.
            std::memmove(text_.data() + written, text_.data() + place, record.end - place);
            written += record.end - place;
            ++count_;
        }
        place = record.end;
    }
    text_.resize(written);
}

ListedModel ListedModels::Iterator::operator*() const { return recordAt(*text_, place_).model; }

ListedModels::Iterator& ListedModels::Iterator::operator++() {
    place_ = recordAt(*text_, place_).end;
    return *this;
}

}  // namespace corvane
