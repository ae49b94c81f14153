#include "check/model_list_page.h"

#include "check/arriving_json.h"
#include "model/messages.h"
#include "model/setup_error.h"

namespace corvane {
namespace {

// The members the reader acts on; every other name is `other`.
enum class RootMember { other, data, hasMore, lastId };
enum class EntryMember { other, id, displayName };

// Depths: 1 inside the top-level object, 2 inside its "data" array, 3 inside
// one entry of it.
class PageReader {
public:
    explicit PageReader(const ModelFound& found) : found_(found) {}

    ModelListPage page;
    bool rootIsObject = false;
    bool sawData = false;
    // "data" that is not an array makes the body no list.
    bool invalidData = false;

    // False when the part makes the body no model list.
    bool take(JsonPart part, std::string_view text) {
        switch (part) {
            case JsonPart::startObject:
                return startObject();
            case JsonPart::endObject:
                return endObject();
            case JsonPart::startArray:
                return startArray();
            case JsonPart::endArray:
                return endArray();
            case JsonPart::key:
                return key(text);
            case JsonPart::string:
                return string(text);
            case JsonPart::trueValue:
                return scalar(true);
            default:
                return scalar(false);
        }
    }

    void finish() {
        if (hasMore_ && lastId_) page.nextAfterId = std::move(lastId_);
    }

private:
    bool string(std::string_view text) {
        if (depth_ == 0) return false;
        if (depth_ == 1) {
            notData();
            if (rootMember_ == RootMember::hasMore) {
                hasMore_ = text == "true";
            } else if (rootMember_ == RootMember::lastId) {
                lastId_.emplace(text);
            }
        } else if (depth_ == 3 && inEntry_) {
            if (entryMember_ == EntryMember::id) {
                entryId_.assign(text);
                entryHasId_ = true;
            } else if (entryMember_ == EntryMember::displayName) {
                entryName_.emplace(text);
            }
        }
        return true;
    }

    bool startObject() {
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
    bool endObject() {
        --depth_;
        if (depth_ == 2 && inEntry_) {
            inEntry_ = false;
            if (entryHasId_) {
                found_(ListedModel{.id = entryId_, .name = entryName_});
            }
        }
        return true;
    }
    bool startArray() {
        if (depth_ == 0) return false;
        if (depth_ == 1) {
            inData_ = rootMember_ == RootMember::data;
            sawData = sawData || inData_;
        }
        ++depth_;
        return true;
    }
    bool endArray() {
        --depth_;
        if (depth_ == 1) inData_ = false;
        return true;
    }
    bool key(std::string_view name) {
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

}  // namespace

ModelListPage modelListPage(const ArrivingBytes& next, const ModelFound& found) {
    PageReader reader(found);
    ArrivingJson json(next);
    bool read = true;
    for (JsonPart part = json.next(); read && part != JsonPart::end; part = json.next()) {
        read = part != JsonPart::invalid && reader.take(part, json.text());
    }
    if (!read || !reader.rootIsObject || !reader.sawData || reader.invalidData) {
        throw SetupError(translated("check.models.unrecognised"));
    }
    reader.finish();
    return std::move(reader.page);
}

}  // namespace corvane
