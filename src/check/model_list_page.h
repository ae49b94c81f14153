#pragma once

#include <optional>
#include <string>
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

// Reads a page without building the whole document, so that a list of a
// hundred thousand models costs little more than its bytes. Entries without a
// string "id" are passed over; "has_more" counts only when it is true (or the
// text "true"). Throws SetupError when the body is not such a list.
ModelListPage modelListPage(std::string body);

}  // namespace corvane
