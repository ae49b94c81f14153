#pragma once

#include <optional>

#include "files/file_plan.h"

namespace corvane {

// Takes the Codex writer's lines out of config.toml, brings back the user's
// earlier model, provider, catalog and reasoning-effort lines from the
// recovery backup, deletes the backup and the tool's model catalog. True when
// config.toml was rewritten or deleted, false when it held nothing of the
// tool's (then nothing is touched).
bool resetCodex();
// The same changes, computed; nothing when there is nothing to take out.
std::optional<FilePlan> resetCodexPlan();

}  // namespace corvane
