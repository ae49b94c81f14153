#include "clients/claude/claude_workflows.h"

#include <exception>
#include <system_error>
#include <utility>

#include "clients/claude/claude_files.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "platform/home.h"
#include "platform/pause.h"
#include "platform/platform_error.h"

namespace corvane {
namespace {

constexpr const char* kPreferenceFile = "com.anthropic.claudefordesktop.plist";

// Only existence counts; a path that cannot be examined counts as absent.
bool fileExists(const std::filesystem::path& path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

bool isManaged(const std::filesystem::path& managedPreferences) {
    return fileExists(managedPreferences / kPreferenceFile) ||
           fileExists(managedPreferences / userName() / kPreferenceFile);
}

// Puts the files back and starts Claude on them; ends with `error`, or with
// the restore message when the files could not be put back.
[[noreturn]] void rollBack(const ClaudeFiles& files, const ClaudeSnapshot& snapshot,
                           const std::filesystem::path& application,
                           const ApplicationControl& control, std::exception_ptr error) {
    try {
        files.restore(snapshot);
    } catch (...) {
        // A half-restored library must not keep pointing Claude at the tool's profile.
        try {
            removeFileIfPresent(files.profile());
        } catch (...) {
        }
        throw SetupError(translated("clients.claude.restore-failed"));
    }
    try {
        control.launchApplication(application);
    } catch (...) {
        // The error that caused the roll back is the one worth reporting.
    }
    std::rethrow_exception(std::move(error));
}

// Nothing when Claude sealed the key; otherwise why the wait failed.
std::exception_ptr waitForSealing(const ClaudeFiles& files, const RunningApplication& claude,
                                  const ApplicationControl& control, const ClaudeTiming& timing) {
    for (int check = 0; check < timing.sealingChecks; ++check) {
        if (files.didClaudeSealKey()) return nullptr;
        if (claude.isTerminated()) break;
        try {
            pause(timing.sealingInterval, control.stopToken());
        } catch (const OperationCancelled&) {
            return std::current_exception();
        }
    }
    return std::make_exception_ptr(SetupError(translated("clients.claude.key-not-sealed")));
}

// Claude must be gone before its old files come back, or it may overwrite them.
void waitForQuit(RunningApplication& claude, const ApplicationControl& control,
                 const ClaudeTiming& timing) {
    if (claude.isTerminated()) return;
    claude.terminate();
    for (int check = 0; check < timing.quitChecks && !claude.isTerminated(); ++check) {
        try {
            pause(timing.quitInterval, control.stopToken());
        } catch (const OperationCancelled&) {
            // The roll back must still happen; the pause counts as waited.
        }
    }
}

}  // namespace

void configureClaude(const GatewaySettings& settings, const std::filesystem::path& application,
                     const ApplicationControl& control, const ClaudeTiming& timing,
                     const std::filesystem::path& managedPreferences) {
    const ClaudeFiles files = ClaudeFiles::inHome();
    if (isManaged(managedPreferences)) throw SetupError(translated("clients.claude.managed"));
    const ClaudeSnapshot snapshot = files.snapshot();
    control.stopApplication(application);

    std::shared_ptr<RunningApplication> claude;
    try {
        files.apply(settings);
        claude = control.launchApplication(application);
        if (!claude) throw PlatformError(translated("clients.claude.not-started"));
    } catch (...) {
        rollBack(files, snapshot, application, control, std::current_exception());
    }

    const std::exception_ptr failure = waitForSealing(files, *claude, control, timing);
    if (!failure) return;
    waitForQuit(*claude, control, timing);
    rollBack(files, snapshot, application, control, failure);
}

bool resetClaude(const std::optional<std::filesystem::path>& application,
                 const ApplicationControl& control) {
    const ClaudeFiles files = ClaudeFiles::inHome();
    if (!files.hasCorvaneConfiguration()) return false;
    const ClaudeSnapshot snapshot = files.snapshot();
    const bool wasRunning = application && !control.runningApplications(*application).empty();
    if (application) control.stopApplication(*application);

    try {
        return files.reset();
    } catch (...) {
        // A failing restore ends with its own error; the reset's is dropped.
        files.restore(snapshot);
        if (wasRunning) {
            try {
                control.launchApplication(*application);
            } catch (...) {
                // The reset's error is the one worth reporting.
            }
        }
        throw;
    }
}

}  // namespace corvane
