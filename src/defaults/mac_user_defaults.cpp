#include <CoreFoundation/CoreFoundation.h>

#include <optional>
#include <string>

#include "defaults/user_defaults.h"

namespace corvane {
namespace {

// The application's own defaults domain (its bundle identifier), which the
// command line outside the bundle names explicitly.
CFStringRef domain() { return CFSTR("dev.corvane.setup"); }

class OwnedString {
public:
    explicit OwnedString(const std::string& text)
        : ref_(CFStringCreateWithBytes(
              kCFAllocatorDefault, reinterpret_cast<const UInt8*>(text.data()),
              static_cast<CFIndex>(text.size()), kCFStringEncodingUTF8, false)) {}
    ~OwnedString() {
        if (ref_ != nullptr) CFRelease(ref_);
    }
    OwnedString(const OwnedString&) = delete;
    OwnedString& operator=(const OwnedString&) = delete;
    CFStringRef get() const { return ref_; }

private:
    CFStringRef ref_;
};

std::string utf8(CFStringRef text) {
    const CFIndex length = CFStringGetLength(text);
    const CFIndex capacity = CFStringGetMaximumSizeForEncoding(length, kCFStringEncodingUTF8);
    std::string out(static_cast<std::size_t>(capacity), '\0');
    CFIndex used = 0;
    CFStringGetBytes(text, CFRangeMake(0, length), kCFStringEncodingUTF8, 0, false,
                     reinterpret_cast<UInt8*>(out.data()), capacity, &used);
    out.resize(static_cast<std::size_t>(used));
    return out;
}

// No lock: every remembered path is its own preference key, and each call
// sets that one key atomically in the preferences daemon. Nothing here reads
// the whole domain and writes it back, so two runs at once cannot drop each
// other's path.
void store(const std::string& key, CFPropertyListRef value) {
    const OwnedString name(key);
    if (name.get() == nullptr) return;
    CFPreferencesSetAppValue(name.get(), value, domain());
    CFPreferencesAppSynchronize(domain());
}

}  // namespace

std::optional<std::string> UserDefaults::value(const std::string& key) const {
    const OwnedString name(key);
    if (name.get() == nullptr) return std::nullopt;
    CFPropertyListRef stored = CFPreferencesCopyAppValue(name.get(), domain());
    if (stored == nullptr) return std::nullopt;
    std::optional<std::string> text;
    if (CFGetTypeID(stored) == CFStringGetTypeID()) text = utf8(static_cast<CFStringRef>(stored));
    CFRelease(stored);
    return text;
}

void UserDefaults::setValue(const std::string& key, const std::string& value) {
    const OwnedString text(value);
    if (text.get() != nullptr) store(key, text.get());
}

void UserDefaults::remove(const std::string& key) { store(key, nullptr); }

}  // namespace corvane
