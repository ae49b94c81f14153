#include "files/json_text.h"

#include <cmath>

#include "model/messages.h"
#include "model/text.h"

namespace corvane {
namespace {

void requireFinite(const nlohmann::json& value) {
    if (value.is_number_float() && !std::isfinite(value.get<double>())) {
        throw JsonWriteError(translated("files.json.non-finite"));
    }
    if (value.is_structured()) {
        for (const auto& element : value) requireFinite(element);
    }
}

// "/" appears in serialised JSON only inside strings, so escaping it after
// serialising is exact.
std::string escapingSlashes(const std::string& text) {
    std::string result;
    result.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '/') result += '\\';
        result += c;
    }
    return result;
}

}  // namespace

std::string prettyJSON(const nlohmann::json& value) {
    requireFinite(value);
    return value.dump(2);
}

std::string prettyJSONEscapingSlashes(const nlohmann::json& value) {
    return escapingSlashes(prettyJSON(value));
}

std::string compactJSONEscapingSlashes(const nlohmann::json& value) {
    requireFinite(value);
    return escapingSlashes(value.dump());
}

std::string displayableJSON(const nlohmann::json& value, int indent) {
    return withJsonEscapesForDisplay(
        value.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace));
}

}  // namespace corvane
