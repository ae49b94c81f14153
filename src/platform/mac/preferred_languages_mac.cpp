#include <CoreFoundation/CoreFoundation.h>

#include "platform/preferred_languages.h"

namespace corvane {

// CFLocaleCopyPreferredLanguages gives the AppleLanguages list as BCP 47 tags
// ("en-US", "zh-Hans-CN"), the user's order kept.
std::vector<std::string> preferredLanguages() {
    std::vector<std::string> preferred;
    CFArrayRef languages = CFLocaleCopyPreferredLanguages();
    if (languages == nullptr) return preferred;
    for (CFIndex k = 0; k < CFArrayGetCount(languages); ++k) {
        const auto tag = static_cast<CFStringRef>(CFArrayGetValueAtIndex(languages, k));
        char buffer[64];
        if (CFStringGetCString(tag, buffer, sizeof buffer, kCFStringEncodingUTF8)) {
            preferred.emplace_back(buffer);
        }
    }
    CFRelease(languages);
    return preferred;
}

}  // namespace corvane
