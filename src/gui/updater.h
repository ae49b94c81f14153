#pragma once

#include <memory>

namespace corvane {

// The tool's own updater: on macOS the Sparkle framework inside the bundle,
// when the build was given an update feed and its signing key.
class Updater {
public:
    virtual ~Updater() = default;
    // Asks the feed now; the framework shows whatever follows.
    virtual void checkForUpdates() = 0;
};

// Starts the updater with the application, on the main thread; it may then
// check on its own schedule. Nothing when this build has no updater: updates
// then come from the package manager (Linux) or a new download (macOS).
std::unique_ptr<Updater> startUpdater();

}  // namespace corvane
