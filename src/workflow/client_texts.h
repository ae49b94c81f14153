#pragma once

#include <string>

#include "model/client.h"
#include "workflow/installed_application.h"

namespace corvane {

// What the window's main button says for a client installed as `installation`:
// it opens a guidance-only client, applies without restart for one found only
// as a command-line program, and otherwise applies and restarts.
std::string mainButtonLabel(Client client, Installation installation);

// The line above the model rows; Codex's says that the first row becomes the
// default model.
std::string modelHint(Client client);

}  // namespace corvane
