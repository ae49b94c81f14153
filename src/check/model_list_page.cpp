#include "check/model_list_page.h"

#include <nlohmann/json.hpp>

#include "model/setup_error.h"

namespace corvane {
namespace {

using Json = nlohmann::json;

// Depths: 1 inside the top-level object, 2 inside its "data" array, 3 inside
// one entry of it.
class PageReader : public nlohmann::json_sax<Json> {
public:
    ModelListPage page;
    bool rootIsObject = false;
    bool sawData = false;
    // "data" that is not an array makes the body no list.
    bool invalidData = false;

    bool null() override { return scalar(nullptr); }
    bool boolean(bool value) override { return scalar(value ? "true" : nullptr); }
    bool number_integer(number_integer_t) override { return scalar(nullptr); }
    bool number_unsigned(number_unsigned_t) override { return scalar(nullptr); }
    bool number_float(number_float_t, const string_t&) override { return scalar(nullptr); }
    bool binary(binary_t&) override { return scalar(nullptr); }
    bool string(string_t& value) override {
        if (depth_ == 0) return false;
        if (depth_ == 1) {
            notData();
            if (rootKey_ == "has_more") {
                hasMore_ = value == "true";
            } else if (rootKey_ == "last_id") {
                lastId_ = std::move(value);
            }
        } else if (depth_ == 3 && inEntry_) {
            if (entryKey_ == "id") {
                entry_.id = std::move(value);
                entryHasId_ = true;
            } else if (entryKey_ == "display_name") {
                entry_.name = std::move(value);
            }
        }
        return true;
    }

    bool start_object(std::size_t) override {
        if (depth_ == 0) rootIsObject = true;
        if (depth_ == 1) notData();
        if (depth_ == 2 && inData_) {
            inEntry_ = true;
            entryHasId_ = false;
            entry_ = GatewayModel{};
            entryKey_.clear();
        }
        ++depth_;
        return rootIsObject;
    }
    bool end_object() override {
        --depth_;
        if (depth_ == 2 && inEntry_) {
            inEntry_ = false;
            if (entryHasId_) page.models.push_back(std::move(entry_));
        }
        return true;
    }
    bool start_array(std::size_t) override {
        if (depth_ == 0) return false;
        if (depth_ == 1) {
            inData_ = rootKey_ == "data";
            sawData = sawData || inData_;
        }
        ++depth_;
        return true;
    }
    bool end_array() override {
        --depth_;
        if (depth_ == 1) inData_ = false;
        return true;
    }
    bool key(string_t& name) override {
        if (depth_ == 1) {
            rootKey_ = std::move(name);
        } else if (depth_ == 3) {
            entryKey_ = std::move(name);
        }
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

    void finish() {
        if (hasMore_ && lastId_) page.nextAfterId = std::move(lastId_);
    }

private:
    // A scalar: `text` is "true" for a true boolean, else nothing matters.
    bool scalar(const char* text) {
        if (depth_ == 0) return false;
        if (depth_ == 1) {
            notData();
            if (rootKey_ == "has_more") hasMore_ = text != nullptr;
            if (rootKey_ == "last_id") lastId_.reset();
        }
        return true;
    }

    void notData() {
        if (rootKey_ == "data") invalidData = true;
    }

    int depth_ = 0;
    std::string rootKey_;
    std::string entryKey_;
    bool inData_ = false;
    bool inEntry_ = false;
    bool entryHasId_ = false;
    bool hasMore_ = false;
    std::optional<std::string> lastId_;
    GatewayModel entry_;
};

}  // namespace

ModelListPage modelListPage(std::string_view body) {
    PageReader reader;
    const bool read = Json::sax_parse(body, &reader);
    if (!read || !reader.rootIsObject || !reader.sawData || reader.invalidData) {
        throw SetupError("网关返回的模型列表无法识别。");
    }
    reader.finish();
    return std::move(reader.page);
}

}  // namespace corvane
