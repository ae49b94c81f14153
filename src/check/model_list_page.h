#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/gateway_models.h"

namespace corvane {

// One page of a gateway's model list. Both shapes keep the models in "data";
// Anthropic's adds "display_name", "has_more" and "last_id".
struct ModelListPage {
    std::vector<GatewayModel> models;
    // The cursor of the next page: "last_id" when "has_more" is true.
    std::optional<std::string> nextAfterId;
};

// The body's next bytes as they arrive, valid until the next call; empty once
// the body has ended.
using ArrivingBytes = std::function<std::string_view()>;

// Reads a page as its bytes arrive, without holding the body or building the
// document, so that a list of a hundred thousand models costs little more
// than receiving it. Entries without a string "id" are passed over;
// "has_more" counts only when it is true (or the text "true"). Throws
// SetupError when the body is not such a list.
ModelListPage modelListPage(const ArrivingBytes& next);

}  // namespace corvane
