#pragma once

#include <optional>

#include "files/file_plan.h"

namespace corvane {

// Takes the tool's provider out of opencode.json and opencode.jsonc and puts
// back the earlier default model. True when either file was rewritten or
// deleted.
bool resetOpenCode();
// The same changes, computed; nothing when there is nothing to take out.
std::optional<FilePlan> resetOpenCodePlan();

}  // namespace corvane
