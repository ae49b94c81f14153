// The workspace on macOS, over NSWorkspace and NSRunningApplication.
#import <AppKit/AppKit.h>
#include <limits.h>

#include <chrono>
#include <mutex>
#include <stop_token>

#include "platform/bundle_info.h"
#include "platform/platform_error.h"
#include "platform/process_identity.h"
#include "platform/workspace.h"

// The retain and release calls below are manual reference counting.
#if __has_feature(objc_arc)
#error "workspace_mac.mm is written for manual reference counting; build it without ARC"
#endif

namespace corvane {
namespace {

constexpr std::chrono::seconds kLaunchLimit{30};

// Paths cross as file-system representations: a name that is not valid UTF-8
// still names its file, and nothing here can be handed nil.
NSURL* fileURL(const std::filesystem::path& path) {
    return [NSURL fileURLWithFileSystemRepresentation:path.c_str()
                                          isDirectory:YES
                                        relativeToURL:nil];
}

std::optional<std::filesystem::path> filePath(NSURL* url) {
    char buffer[PATH_MAX];
    if (url == nil || !url.fileURL ||
        ![url getFileSystemRepresentation:buffer maxLength:sizeof buffer]) {
        return std::nullopt;
    }
    return std::filesystem::path(buffer);
}

NSString* utf8String(std::string_view text) {
    return [[[NSString alloc] initWithBytes:text.data()
                                     length:text.size()
                                   encoding:NSUTF8StringEncoding] autorelease];
}

std::string utf8(NSString* text) {
    const char* bytes = text.UTF8String;
    return bytes ? std::string(bytes) : std::string();
}

// NSRunningApplication's `terminated` changes only when the main run loop
// turns, and the command line's main thread sits in a join: whether the
// process has ended is asked of the kernel by its PID and start time instead.
class MacRunningApplication final : public RunningApplication {
public:
    explicit MacRunningApplication(NSRunningApplication* application)
        : application_([application retain]),
          identity_(ProcessIdentity::of(application.processIdentifier)),
          bundle_(filePath(application.bundleURL)) {}
    ~MacRunningApplication() override { [application_ release]; }
    MacRunningApplication(const MacRunningApplication&) = delete;
    MacRunningApplication& operator=(const MacRunningApplication&) = delete;

    bool isTerminated() const override {
        if (!ended_) ended_ = !identity_ || identity_->hasEnded();
        return ended_;
    }
    // The URL and its path are autoreleased objects; a worker thread has no
    // pool of its own to drain them.
    std::optional<std::filesystem::path> executablePath() const override {
        @autoreleasepool {
            return filePath(application_.executableURL);
        }
    }
    std::optional<std::string> sandboxApplication() const override { return std::nullopt; }

    void terminate() override {
        @autoreleasepool {
            [application_ terminate];
        }
    }

    std::optional<std::filesystem::path> bundleURL() const override { return bundle_; }

private:
    NSRunningApplication* application_;
    std::optional<ProcessIdentity> identity_;
    std::optional<std::filesystem::path> bundle_;
    mutable bool ended_ = false;
};

// What the launch's completion handler hands over. It may run after the
// waiting thread has given up, so the block shares ownership of it.
struct LaunchAnswer {
    LaunchAnswer() : done(dispatch_semaphore_create(0)) {}
    ~LaunchAnswer() {
        [application release];
        dispatch_release(done);
    }
    LaunchAnswer(const LaunchAnswer&) = delete;
    LaunchAnswer& operator=(const LaunchAnswer&) = delete;

    dispatch_semaphore_t done;
    std::mutex mutex;
    bool answered = false;
    NSRunningApplication* application = nil;
    std::string failure;
};

class MacWorkspace final : public Workspace {
public:
    // NSWorkspace.runningApplications is also refreshed only by the main run
    // loop; the class query by bundle identifier asks the system afresh.
    std::vector<std::shared_ptr<RunningApplication>> runningApplications(
        const std::filesystem::path& bundle) override {
        std::vector<std::shared_ptr<RunningApplication>> result;
        const std::optional<std::string> identifier =
            bundleInfoString(bundle, "CFBundleIdentifier");
        // Without an identifier the system cannot have launched it as an app.
        if (!identifier) return result;
        @autoreleasepool {
            NSString* name = utf8String(*identifier);
            if (name != nil) {
                for (NSRunningApplication* application in
                     [NSRunningApplication runningApplicationsWithBundleIdentifier:name]) {
                    result.push_back(std::make_shared<MacRunningApplication>(application));
                }
            }
        }
        return result;
    }

    std::optional<std::filesystem::path> urlForApplication(
        std::string_view bundleIdentifier) override {
        @autoreleasepool {
            NSString* identifier = utf8String(bundleIdentifier);
            if (identifier == nil) return std::nullopt;
            return filePath(
                [NSWorkspace.sharedWorkspace URLForApplicationWithBundleIdentifier:identifier]);
        }
    }

    // The completion handler runs on a queue of the system's while this
    // worker thread waits, at most kLaunchLimit and only until a stop.
    std::shared_ptr<RunningApplication> openApplication(const std::filesystem::path& bundle,
                                                        std::stop_token stop) override {
        const auto answer = std::make_shared<LaunchAnswer>();
        bool requested = false;
        @autoreleasepool {
            NSURL* url = fileURL(bundle);
            if (url != nil) {
                NSWorkspaceOpenConfiguration* configuration =
                    [NSWorkspaceOpenConfiguration configuration];
                configuration.activates = YES;
                [NSWorkspace.sharedWorkspace
                    openApplicationAtURL:url
                           configuration:configuration
                       completionHandler:^(NSRunningApplication* application, NSError* error) {
                         const std::lock_guard lock(answer->mutex);
                         answer->application = [application retain];
                         if (error != nil) answer->failure = utf8(error.localizedDescription);
                         answer->answered = true;
                         dispatch_semaphore_signal(answer->done);
                       }];
                requested = true;
            }
        }
        if (!requested) throw PlatformError("cannot open " + bundle.string());

        {
            const std::stop_callback wake(stop,
                                          [answer] { dispatch_semaphore_signal(answer->done); });
            const auto limit = std::chrono::duration_cast<std::chrono::nanoseconds>(kLaunchLimit);
            dispatch_semaphore_wait(answer->done, dispatch_time(DISPATCH_TIME_NOW, limit.count()));
        }
        const std::lock_guard lock(answer->mutex);
        if (!answer->answered) {
            if (stop.stop_requested()) throw OperationCancelled();
            throw PlatformError("the system did not open " + bundle.string() + " in time");
        }
        if (answer->application == nil) {
            throw PlatformError(answer->failure.empty() ? "the application did not open"
                                                        : answer->failure);
        }
        std::shared_ptr<RunningApplication> opened;
        @autoreleasepool {
            opened = std::make_shared<MacRunningApplication>(answer->application);
        }
        return opened;
    }

    void openURL(const std::string& url) override {
        bool opened = false;
        @autoreleasepool {
            NSString* text = utf8String(url);
            NSURL* address = text == nil ? nil : [NSURL URLWithString:text];
            opened = address != nil && [NSWorkspace.sharedWorkspace openURL:address];
        }
        if (!opened) throw PlatformError("cannot open " + url);
    }
};

}  // namespace

std::unique_ptr<Workspace> makeSystemWorkspace() { return std::make_unique<MacWorkspace>(); }

}  // namespace corvane
