// The workspace on macOS, over NSWorkspace and NSRunningApplication.
// Manual reference counting: the platform library is built without ARC.
#import <AppKit/AppKit.h>

#include "platform/platform_error.h"
#include "platform/workspace.h"

namespace corvane {
namespace {

std::string utf8(NSString* text) { return text ? std::string(text.UTF8String) : std::string(); }

NSURL* fileURL(const std::filesystem::path& path) {
    return [NSURL fileURLWithPath:[NSString stringWithUTF8String:path.c_str()]];
}

class MacRunningApplication final : public RunningApplication {
public:
    explicit MacRunningApplication(NSRunningApplication* application)
        : application_([application retain]) {}
    ~MacRunningApplication() override { [application_ release]; }
    MacRunningApplication(const MacRunningApplication&) = delete;
    MacRunningApplication& operator=(const MacRunningApplication&) = delete;

    bool isTerminated() const override { return application_.terminated; }
    void terminate() override { [application_ terminate]; }
    std::optional<std::filesystem::path> bundleURL() const override {
        NSURL* url = application_.bundleURL;
        if (url == nil || !url.fileURL) return std::nullopt;
        return std::filesystem::path(utf8(url.path));
    }
    std::optional<std::filesystem::path> executableURL() const override {
        NSURL* url = application_.executableURL;
        if (url == nil || !url.fileURL) return std::nullopt;
        return std::filesystem::path(utf8(url.path));
    }
    std::optional<std::string> sandboxApplication() const override { return std::nullopt; }

private:
    NSRunningApplication* application_;
};

class MacWorkspace final : public Workspace {
public:
    std::vector<std::shared_ptr<RunningApplication>> runningApplications() override {
        @autoreleasepool {
            std::vector<std::shared_ptr<RunningApplication>> result;
            for (NSRunningApplication* application in NSWorkspace.sharedWorkspace
                     .runningApplications) {
                result.push_back(std::make_shared<MacRunningApplication>(application));
            }
            return result;
        }
    }

    std::optional<std::filesystem::path> urlForApplication(
        std::string_view bundleIdentifier) override {
        @autoreleasepool {
            NSString* identifier =
                [[[NSString alloc] initWithBytes:bundleIdentifier.data()
                                          length:bundleIdentifier.size()
                                        encoding:NSUTF8StringEncoding] autorelease];
            NSURL* url =
                [NSWorkspace.sharedWorkspace URLForApplicationWithBundleIdentifier:identifier];
            if (url == nil) return std::nullopt;
            return std::filesystem::path(utf8(url.path));
        }
    }

    // The completion handler runs on a queue of the system's; the calling
    // worker thread waits for it.
    std::shared_ptr<RunningApplication> openApplication(
        const std::filesystem::path& bundle) override {
        @autoreleasepool {
            NSWorkspaceOpenConfiguration* configuration =
                [NSWorkspaceOpenConfiguration configuration];
            configuration.activates = YES;
            dispatch_semaphore_t done = dispatch_semaphore_create(0);
            __block NSRunningApplication* opened = nil;
            __block NSString* failure = nil;
            [NSWorkspace.sharedWorkspace
                openApplicationAtURL:fileURL(bundle)
                       configuration:configuration
                   completionHandler:^(NSRunningApplication* application, NSError* error) {
                     opened = [application retain];
                     failure = [error.localizedDescription copy];
                     dispatch_semaphore_signal(done);
                   }];
            dispatch_semaphore_wait(done, DISPATCH_TIME_FOREVER);
            dispatch_release(done);
            if (opened == nil) {
                std::string text = failure ? utf8(failure) : "the application did not open";
                [failure release];
                throw PlatformError(text);
            }
            auto result = std::make_shared<MacRunningApplication>(opened);
            [opened release];
            [failure release];
            return result;
        }
    }

    void openURL(const std::string& url) override {
        @autoreleasepool {
            NSURL* address = [NSURL URLWithString:[NSString stringWithUTF8String:url.c_str()]];
            if (address == nil || ![NSWorkspace.sharedWorkspace openURL:address]) {
                throw PlatformError("cannot open " + url);
            }
        }
    }
};

}  // namespace

std::unique_ptr<Workspace> makeSystemWorkspace() { return std::make_unique<MacWorkspace>(); }

}  // namespace corvane
