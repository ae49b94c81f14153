#pragma once

#include <filesystem>
#include <optional>

#include "files/file_plan.h"

namespace corvane {

// Takes the tool's provider and model entries out of OpenClaw's configuration
// at `configPath` and puts back the earlier primary model. False when the file holds
// no provider of the tool's.
bool resetOpenClaw(const std::filesystem::path& configPath);
// The same change, computed; nothing when there is nothing to take out.
std::optional<FilePlan> resetOpenClawPlan(const std::filesystem::path& configPath);

}  // namespace corvane
