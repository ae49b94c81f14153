#include "check/listed_models.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace corvane {

namespace {

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
// text. A slot takes four bytes, since each fresh page of the table costs a
// fault: the place plus one, so that zero marks a free slot, and in the bits
// that no place in this text needs, part of the hash, so that the text is
// read only when that part matches. A listing is bounded far below 4 GiB.
class KeptIds {
public:
    // At most seven slots in eight are taken, so that a search soon ends at
    // an empty one.
    KeptIds(std::size_t count, std::size_t textBytes)
        : placeBits_(static_cast<unsigned>(std::bit_width(textBytes + 1))),
          placeMask_(static_cast<std::uint32_t>((std::uint64_t{1} << placeBits_) - 1)) {
        std::size_t size = 64;
        while (count * 8 > size * 7) size *= 2;
        slots_.assign(size, 0);
    }

    // Keeps the place in `text` where this ID will be; false when an equal ID
    // was kept before.
    bool keep(std::string_view id, std::size_t place, const std::string& text) {
        const std::size_t hash = std::hash<std::string_view>()(id);
        // The slot's index comes from the hash's low half, the kept part from
        // its high half.
        const auto tag =
            static_cast<std::uint32_t>(static_cast<std::uint64_t>(hash) >> 32 << placeBits_);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t index = hash & mask;; index = (index + 1) & mask) {
            std::uint32_t& slot = slots_[index];
            if (slot == 0) {
                slot = tag | static_cast<std::uint32_t>(place + 1);
                return true;
            }
            if ((slot & ~placeMask_) == tag &&
                recordAt(text, (slot & placeMask_) - 1).model.id == id) {
                return false;
            }
        }
    }

private:
    unsigned placeBits_;
    std::uint32_t placeMask_;
    std::vector<std::uint32_t> slots_;
};

}  // namespace

ListedModels::ListedModels(std::size_t listingBytes) { text_.reserve(listingBytes); }

void ListedModels::add(const ListedModel& model) {
    appendRecord(text_, model);
    ++count_;
}

void ListedModels::dropRepeats() {
    KeptIds kept(count_, text_.size());
    std::size_t written = 0;
    count_ = 0;
    for (std::size_t place = 0; place < text_.size();) {
        const Record record = recordAt(text_, place);
        if (kept.keep(record.model.id, written, text_)) {
            // Kept models only move towards the front, over dropped ones.
            if (written != place) {
                std::memmove(text_.data() + written, text_.data() + place, record.end - place);
            }
            written += record.end - place;
            ++count_;
        }
        place = record.end;
    }
    text_.resize(written);
}

ListedModels::Iterator::Iterator(const std::string& text, std::size_t place)
    : text_(&text), place_(place) {
    read();
}

void ListedModels::Iterator::read() {
    if (place_ == text_->size()) return;
    const Record record = recordAt(*text_, place_);
    model_ = record.model;
    nextPlace_ = record.end;
}

ListedModels::Iterator& ListedModels::Iterator::operator++() {
    place_ = nextPlace_;
    read();
    return *this;
}

}  // namespace corvane
