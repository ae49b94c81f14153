#pragma once

#include <filesystem>

namespace corvane {

// Takes the tool's provider and model entries out of OpenClaw's configuration
// at `url` and puts back the earlier primary model. False when the file holds
// no provider of the tool's.
bool resetOpenClaw(const std::filesystem::path& url);

}  // namespace corvane
