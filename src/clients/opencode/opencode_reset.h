#pragma once

namespace corvane {

// Takes the tool's provider out of opencode.json and opencode.jsonc and puts
// back the earlier default model. True when either file was rewritten or
// deleted.
bool resetOpenCode();

}  // namespace corvane
