// Bundle information on macOS, over NSBundle and NSProcessInfo.
#import <Foundation/Foundation.h>

#include "platform/bundle_info.h"

namespace corvane {

std::optional<std::string> bundleInfoString(const std::filesystem::path& bundle,
                                            std::string_view key) {
    @autoreleasepool {
        NSURL* url = [NSURL fileURLWithPath:[NSString stringWithUTF8String:bundle.c_str()]];
        NSBundle* opened = [NSBundle bundleWithURL:url];
        if (opened == nil) return std::nullopt;
        NSString* name = [[[NSString alloc] initWithBytes:key.data()
                                                   length:key.size()
                                                 encoding:NSUTF8StringEncoding] autorelease];
        id value = [opened objectForInfoDictionaryKey:name];
        if (![value isKindOfClass:[NSString class]]) return std::nullopt;
        return std::string([(NSString*)value UTF8String]);
    }
}

bool isSystemVersionAtLeast(int major, int minor, int patch) {
    NSOperatingSystemVersion version{major, minor, patch};
    return [NSProcessInfo.processInfo isOperatingSystemAtLeastVersion:version];
}

}  // namespace corvane
