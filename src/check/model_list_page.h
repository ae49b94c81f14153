#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "check/arriving_json.h"

namespace corvane {

// One model as a page names it, valid during the call that hands it over.
struct ListedModel {
    std::string_view id;
    std::optional<std::string_view> name;
};
using ModelFound = std::function<void(const ListedModel& model)>;

// What a page says beyond its models. Both shapes keep the models in "data";
// Anthropic's adds "display_name", "has_more" and "last_id".
struct ModelListPage {
    // The cursor of the next page: "last_id" when "has_more" is true.
    std::optional<std::string> nextAfterId;
};

// Reads a page as its bytes arrive, without holding the body or building the
// document, so that a list of a hundred thousand models costs little more
// than receiving it: each entry with a string "id" goes to `found` as soon as
// it ends, others are passed over. "has_more" counts only when it is true (or
// the text "true"). Throws SetupError when the body is not such a list, which
// may be after some models went to `found`.
ModelListPage modelListPage(const ArrivingBytes& next, const ModelFound& found);

}  // namespace corvane
