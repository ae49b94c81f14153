// The updater over Sparkle 2's standard controller, which brings its own
// dialogs; built only when the bundle carries Sparkle.framework.
#import <Sparkle/Sparkle.h>

#include "gui/updater.h"

// The release call below is manual reference counting.
#if __has_feature(objc_arc)
#error "sparkle_updater.mm is written for manual reference counting; build it without ARC"
#endif

namespace corvane {
namespace {

class SparkleUpdater final : public Updater {
public:
    // Sparkle's documentation: create the controller once, at start, with
    // the updater started; the feed and key come from the Info.plist.
    SparkleUpdater()
        : controller_([[SPUStandardUpdaterController alloc] initWithStartingUpdater:YES
                                                                    updaterDelegate:nil
                                                                 userDriverDelegate:nil]) {}
    ~SparkleUpdater() override { [controller_ release]; }
    SparkleUpdater(const SparkleUpdater&) = delete;
    SparkleUpdater& operator=(const SparkleUpdater&) = delete;

    void checkForUpdates() override {
        @autoreleasepool {
            [controller_ checkForUpdates:nil];
        }
    }

private:
    SPUStandardUpdaterController* controller_;
};

}  // namespace

std::unique_ptr<Updater> startUpdater() {
    @autoreleasepool {
        return std::make_unique<SparkleUpdater>();
    }
}

}  // namespace corvane
