#pragma once

#include <chrono>
#include <filesystem>
#include <optional>

#include "apps/application_control.h"
#include "model/gateway_settings.h"

namespace corvane {

// How long the workflows wait for Claude desktop; tests shorten them.
struct ClaudeTiming {
    std::chrono::milliseconds sealingInterval{250};
    int sealingChecks = 100;
    std::chrono::milliseconds quitInterval{200};
    int quitChecks = 30;
};

// Points Claude desktop (the bundle at `application`) at the gateway: refuses
// a Claude managed by the device's administrator, stops Claude, writes its
// files, starts it again and waits until it has sealed the key. On any failure
// after the files were written they are put back byte for byte and Claude is
// started on its old configuration. Throws SetupError with the user's message,
// or the platform's error; OperationCancelled when the control's stop token
// ends the wait.
void configureClaude(
    const GatewaySettings& settings, const std::filesystem::path& application,
    const ApplicationControl& control, const ClaudeTiming& timing = {},
    const std::filesystem::path& managedPreferences = "/Library/Managed Preferences");

// Takes the tool's profile out of Claude desktop's files. With `application`,
// Claude is stopped first and left stopped (the caller restarts it); without,
// it is neither stopped nor started. False when nothing of the tool's was
// there; then nothing was touched. When the reset fails the files are put
// back and a Claude that ran before is started again.
bool resetClaude(const std::optional<std::filesystem::path>& application,
                 const ApplicationControl& control);

}  // namespace corvane
