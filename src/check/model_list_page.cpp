#include "check/model_list_page.h"

#include <rapidjson/reader.h>

#include <algorithm>

#include "model/messages.h"
#include "model/setup_error.h"

namespace corvane {
namespace {

using rapidjson::SizeType;

// The members the reader acts on; every other name is `other`.
enum class RootMember { other, data, hasMore, lastId };
enum class EntryMember { other, id, displayName };

// Depths: 1 inside the top-level object, 2 inside its "data" array, 3 inside
// one entry of it.
class PageReader : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, PageReader> {
public:
    explicit PageReader(const ModelFound& found) : found_(found) {}

    ModelListPage page;
    bool rootIsObject = false;
    bool sawData = false;
    // "data" that is not an array makes the body no list.
    bool invalidData = false;

    // Every scalar but strings; a true boolean is the only one that matters.
    bool Default() { return scalar(false); }
    bool Bool(bool value) { return scalar(value); }

    bool String(const char* text, SizeType length, bool) {
        if (depth_ == 0) return false;
        if (depth_ == 1) {
            notData();
            if (rootMember_ == RootMember::hasMore) {
                hasMore_ = std::string_view(text, length) == "true";
            } else if (rootMember_ == RootMember::lastId) {
                lastId_.emplace(text, length);
            }
        } else if (depth_ == 3 && inEntry_) {
            if (entryMember_ == EntryMember::id) {
                entryId_.assign(text, length);
                entryHasId_ = true;
            } else if (entryMember_ == EntryMember::displayName) {
                entryName_.emplace(text, length);
            }
        }
        return true;
    }

    bool StartObject() {
        if (depth_ == 0) rootIsObject = true;
        if (depth_ == 1) notData();
        if (depth_ == 2 && inData_) {
            inEntry_ = true;
            entryHasId_ = false;
            entryName_.reset();
            entryMember_ = EntryMember::other;
        }
        ++depth_;
        return rootIsObject;
    }
    bool EndObject(SizeType) {
        --depth_;
        if (depth_ == 2 && inEntry_) {
            inEntry_ = false;
            if (entryHasId_) {
                found_(ListedModel{.id = entryId_, .name = entryName_});
            }
        }
        return true;
    }
    bool StartArray() {
        if (depth_ == 0) return false;
        if (depth_ == 1) {
            inData_ = rootMember_ == RootMember::data;
            sawData = sawData || inData_;
        }
        ++depth_;
        return true;
    }
    bool EndArray(SizeType) {
        --depth_;
        if (depth_ == 1) inData_ = false;
        return true;
    }
    bool Key(const char* text, SizeType length, bool) {
        const std::string_view name(text, length);
        if (depth_ == 1) {
            rootMember_ = name == "data"       ? RootMember::data
                          : name == "has_more" ? RootMember::hasMore
                          : name == "last_id"  ? RootMember::lastId
                                               : RootMember::other;
        } else if (depth_ == 3) {
            entryMember_ = name == "id"             ? EntryMember::id
                           : name == "display_name" ? EntryMember::displayName
                                                    : EntryMember::other;
        }
        return true;
    }

    void finish() {
        if (hasMore_ && lastId_) page.nextAfterId = std::move(lastId_);
    }

private:
    bool scalar(bool isTrue) {
        if (depth_ == 0) return false;
        if (depth_ == 1) {
            notData();
            if (rootMember_ == RootMember::hasMore) hasMore_ = isTrue;
            if (rootMember_ == RootMember::lastId) lastId_.reset();
        }
        return true;
    }

    void notData() {
        if (rootMember_ == RootMember::data) invalidData = true;
    }

    int depth_ = 0;
    RootMember rootMember_ = RootMember::other;
    EntryMember entryMember_ = EntryMember::other;
    bool inData_ = false;
    bool inEntry_ = false;
    bool entryHasId_ = false;
    bool hasMore_ = false;
    std::optional<std::string> lastId_;
    const ModelFound& found_;
    // The entry being read; kept between entries so that its room is used again.
    std::string entryId_;
    std::optional<std::string> entryName_;
};

// A RapidJSON input stream over bytes that arrive in pieces; the reader waits
// in Peek() for the next piece. JSON never holds an unescaped NUL, and the
// reader would take one for the end of the text, so the stream ends there and
// remembers it.
class ArrivingStream {
public:
    using Ch = char;

    explicit ArrivingStream(const ArrivingBytes& next) : next_(next) {}

    Ch Peek() const { return position_ != end_ || refill() ? *position_ : '\0'; }
    Ch Take() { return position_ != end_ || refill() ? *position_++ : '\0'; }
    std::size_t Tell() const { return before_ + static_cast<std::size_t>(position_ - pieceStart_); }
    bool heldNul() const { return heldNul_; }

    // Only parsing in place writes to the stream, and this one never does.
    Ch* PutBegin() { return nullptr; }
    void Put(Ch) {}
    void Flush() {}
    std::size_t PutEnd(Ch*) { return 0; }

private:
    bool refill() const {
        while (!ended_) {
            const std::string_view piece = next_();
            if (piece.empty()) {
                ended_ = true;
                break;
            }
            const std::size_t nul = piece.find('\0');
            before_ += static_cast<std::size_t>(end_ - pieceStart_);
            pieceStart_ = piece.data();
            position_ = piece.data();
            end_ = position_ + std::min(nul, piece.size());
            if (nul != std::string_view::npos) {
                heldNul_ = true;
                ended_ = true;
            }
            if (position_ != end_) return true;
        }
        return false;
    }

    const ArrivingBytes& next_;
    mutable const char* pieceStart_ = nullptr;
    mutable const char* position_ = nullptr;
    mutable const char* end_ = nullptr;
    // The bytes of the pieces before this one.
    mutable std::size_t before_ = 0;
    mutable bool ended_ = false;
    mutable bool heldNul_ = false;
};

}  // namespace

ModelListPage modelListPage(const ArrivingBytes& next, const ModelFound& found) {
    PageReader reader(found);
    // Iterative, so that a hostile gateway's deep nesting cannot exhaust the
    // stack; strings must be UTF-8, as JSON requires.
    constexpr unsigned kFlags =
        rapidjson::kParseIterativeFlag | rapidjson::kParseValidateEncodingFlag;
    ArrivingStream stream(next);
    rapidjson::Reader parser;
    const bool read = !parser.Parse<kFlags>(stream, reader).IsError() && !stream.heldNul();
    if (!read || !reader.rootIsObject || !reader.sawData || reader.invalidData) {
        throw SetupError(translated("check.models.unrecognised"));
    }
    reader.finish();
    return std::move(reader.page);
}

}  // namespace corvane
