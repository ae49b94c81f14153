// Bundle information on macOS, over Core Foundation and NSProcessInfo.
#import <Foundation/Foundation.h>

#include "platform/bundle_info.h"

// The release calls below are manual reference counting.
#if __has_feature(objc_arc)
#error "bundle_info_mac.mm is written for manual reference counting; build it without ARC"
#endif

namespace corvane {

// NSBundle keeps a bundle's Info.plist for the life of the process, so an
// application updated while the window is open would keep its old version:
// the dictionary is read afresh from the disk each time.
std::optional<std::string> bundleInfoString(const std::filesystem::path& bundle,
                                            std::string_view key) {
    std::error_code ignored;
    if (!std::filesystem::is_directory(bundle, ignored)) return std::nullopt;
    std::optional<std::string> result;
    @autoreleasepool {
        // The file-system representation also carries names that are not
        // valid UTF-8.
        NSURL* url = [NSURL fileURLWithFileSystemRepresentation:bundle.c_str()
                                                    isDirectory:YES
                                                  relativeToURL:nil];
        NSString* name = [[[NSString alloc] initWithBytes:key.data()
                                                   length:key.size()
                                                 encoding:NSUTF8StringEncoding] autorelease];
        if (url != nil && name != nil) {
            CFDictionaryRef info = CFBundleCopyInfoDictionaryForURL((CFURLRef)url);
            if (info != nullptr) {
                id value = [(NSDictionary*)info objectForKey:name];
                if ([value isKindOfClass:[NSString class]]) {
                    const char* bytes = [(NSString*)value UTF8String];
                    if (bytes != nullptr) result = std::string(bytes);
                }
                CFRelease(info);
            }
        }
    }
    return result;
}

bool isSystemVersionAtLeast(int major, int minor, int patch) {
    @autoreleasepool {
        const NSOperatingSystemVersion version{major, minor, patch};
        return [NSProcessInfo.processInfo isOperatingSystemAtLeastVersion:version];
    }
}

}  // namespace corvane
