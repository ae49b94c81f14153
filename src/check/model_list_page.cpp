#include "check/model_list_page.h"

#include <rapidjson/reader.h>

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
                entry_.id.assign(text, length);
                entryHasId_ = true;
            } else if (entryMember_ == EntryMember::displayName) {
                entry_.name.emplace(text, length);
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
            entry_ = GatewayModel{};
            entryMember_ = EntryMember::other;
        }
        ++depth_;
        return rootIsObject;
    }
    bool EndObject(SizeType) {
        --depth_;
        if (depth_ == 2 && inEntry_) {
            inEntry_ = false;
            if (entryHasId_) page.models.push_back(std::move(entry_));
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
    GatewayModel entry_;
};

}  // namespace

ModelListPage modelListPage(std::string body) {
    PageReader reader;
    // Iterative, so that a hostile gateway's deep nesting cannot exhaust the
    // stack; strings must be UTF-8, as JSON requires, and are decoded in place,
    // since copying each out costs more than reading it.
    constexpr unsigned kFlags = rapidjson::kParseIterativeFlag |
                                rapidjson::kParseValidateEncodingFlag | rapidjson::kParseInsituFlag;
    rapidjson::InsituStringStream stream(body.data());
    rapidjson::Reader parser;
    // The stream ends at the first NUL, which JSON never holds unescaped.
    const bool read =
        body.find('\0') == std::string::npos && !parser.Parse<kFlags>(stream, reader).IsError();
    if (!read || !reader.rootIsObject || !reader.sawData || reader.invalidData) {
        throw SetupError(translated("check.models.unrecognised"));
    }
    reader.finish();
    return std::move(reader.page);
}

}  // namespace corvane
