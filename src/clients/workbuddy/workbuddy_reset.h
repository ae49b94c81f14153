#pragma once

#include <filesystem>
#include <optional>

#include "files/file_plan.h"

namespace corvane {

// Takes the tool's entries out of WorkBuddy's models.json at `configPath`. False when
// the file is not named models.json, is missing, or has no entry of the tool's.
bool resetWorkBuddy(const std::filesystem::path& configPath);
// The same change, computed; nothing when there is nothing to take out.
std::optional<FilePlan> resetWorkBuddyPlan(const std::filesystem::path& configPath);

}  // namespace corvane
