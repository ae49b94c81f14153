// What the Mac trusts for HTTPS, from the Security framework: the system's
// roots, and the certificates an administrator or the user marked trusted in
// the keychains (company gateways use private CAs that device management
// installs there). libcurl, built with OpenSSL, knows none of them.
#include <Security/Security.h>

#include <map>
#include <string>

#include "platform/pem_certificates.h"
#include "platform/platform_error.h"
#include "platform/system_trust.h"

namespace corvane {
namespace {

template <typename Ref>
class Owned {
public:
    Owned() = default;
    explicit Owned(Ref ref) : ref_(ref) {}
    ~Owned() {
        if (ref_ != nullptr) CFRelease(ref_);
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Ref get() const { return ref_; }
    Ref* out() { return &ref_; }

private:
    Ref ref_ = nullptr;
};

enum class Verdict { unspecified, trusted, denied };

// Whether a usage-constraints dictionary speaks for TLS server trust: it names
// no policy or the SSL policy, and no single application.
bool appliesToTls(CFDictionaryRef constraints) {
    if (CFDictionaryContainsKey(constraints, kSecTrustSettingsApplication)) return false;
    const void* policy = CFDictionaryGetValue(constraints, kSecTrustSettingsPolicy);
    if (policy == nullptr) return true;
    if (CFGetTypeID(policy) != SecPolicyGetTypeID()) return false;
    const Owned<CFDictionaryRef> properties(
        SecPolicyCopyProperties(static_cast<SecPolicyRef>(const_cast<void*>(policy))));
    if (properties.get() == nullptr) return false;
    const void* oid = CFDictionaryGetValue(properties.get(), kSecPolicyOid);
    return oid != nullptr && CFEqual(oid, kSecPolicyAppleSSL);
}

// The trust settings of one domain for one certificate. Apple's documentation
// of SecTrustSettingsCopyTrustSettings: no settings leave the decision to the
// chain; an empty array means "always trust this certificate" as a root; in a
// dictionary without kSecTrustSettingsResult, TrustRoot is meant. The first
// dictionary that applies decides.
Verdict domainVerdict(SecCertificateRef certificate, SecTrustSettingsDomain domain) {
    Owned<CFArrayRef> settings;
    if (SecTrustSettingsCopyTrustSettings(certificate, domain, settings.out()) != errSecSuccess ||
        settings.get() == nullptr) {
        return Verdict::unspecified;
    }
    const CFIndex count = CFArrayGetCount(settings.get());
    if (count == 0) return Verdict::trusted;
    for (CFIndex i = 0; i < count; ++i) {
        const auto constraints =
            static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(settings.get(), i));
        if (CFGetTypeID(constraints) != CFDictionaryGetTypeID() || !appliesToTls(constraints)) {
            continue;
        }
        SInt32 stored = kSecTrustSettingsResultTrustRoot;
        const void* number = CFDictionaryGetValue(constraints, kSecTrustSettingsResult);
        if (number != nullptr && CFGetTypeID(number) == CFNumberGetTypeID()) {
            CFNumberGetValue(static_cast<CFNumberRef>(number), kCFNumberSInt32Type, &stored);
        }
        const auto result = static_cast<SecTrustSettingsResult>(stored);
        if (result == kSecTrustSettingsResultDeny) return Verdict::denied;
        if (result == kSecTrustSettingsResultTrustRoot ||
            result == kSecTrustSettingsResultTrustAsRoot) {
            return Verdict::trusted;
        }
    }
    return Verdict::unspecified;
}

std::string derOf(SecCertificateRef certificate) {
    const Owned<CFDataRef> data(SecCertificateCopyData(certificate));
    if (data.get() == nullptr) return {};
    return std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data.get())),
                       static_cast<std::size_t>(CFDataGetLength(data.get())));
}

struct Candidate {
    SecCertificateRef certificate;
    bool systemAnchor;
};

// Adds every certificate of `certificates` under its DER encoding.
void collect(CFArrayRef certificates, bool systemAnchors, std::map<std::string, Candidate>& into) {
    for (CFIndex i = 0, count = CFArrayGetCount(certificates); i < count; ++i) {
        auto certificate = static_cast<SecCertificateRef>(
            const_cast<void*>(CFArrayGetValueAtIndex(certificates, i)));
        std::string der = derOf(certificate);
        if (der.empty()) continue;
        auto [entry, added] =
            into.try_emplace(std::move(der), Candidate{certificate, systemAnchors});
        if (!added && systemAnchors) entry->second.systemAnchor = true;
    }
}

}  // namespace

std::optional<std::string> systemTrustedCertificatesPem() {
    Owned<CFArrayRef> anchors;
    OSStatus status = SecTrustCopyAnchorCertificates(anchors.out());
    if (status != errSecSuccess || anchors.get() == nullptr) {
        throw PlatformError("the system's root certificates cannot be read (OSStatus " +
                            std::to_string(status) + ")");
    }
    Owned<CFArrayRef> adminCertificates;
    Owned<CFArrayRef> userCertificates;
    for (auto [domain, certificates] :
         {std::pair{kSecTrustSettingsDomainAdmin, &adminCertificates},
          std::pair{kSecTrustSettingsDomainUser, &userCertificates}}) {
        status = SecTrustSettingsCopyCertificates(domain, certificates->out());
        if (status != errSecSuccess && status != errSecNoTrustSettings) {
            throw PlatformError("the keychains' trust settings cannot be read (OSStatus " +
                                std::to_string(status) + ")");
        }
    }

    std::map<std::string, Candidate> candidates;
    collect(anchors.get(), true, candidates);
    for (const Owned<CFArrayRef>* certificates : {&adminCertificates, &userCertificates}) {
        if (certificates->get() != nullptr) collect(certificates->get(), false, candidates);
    }
    // The user's settings come before the administrator's, which come before
    // the system's own, as in the system's own evaluation.
    std::string pem;
    for (const auto& [der, candidate] : candidates) {
        Verdict verdict = domainVerdict(candidate.certificate, kSecTrustSettingsDomainUser);
        if (verdict == Verdict::unspecified) {
            verdict = domainVerdict(candidate.certificate, kSecTrustSettingsDomainAdmin);
        }
        if (verdict == Verdict::unspecified && candidate.systemAnchor) {
            verdict = domainVerdict(candidate.certificate, kSecTrustSettingsDomainSystem);
        }
        const bool trusted = verdict == Verdict::trusted ||
                             (verdict == Verdict::unspecified && candidate.systemAnchor);
        if (trusted) pem += pemCertificate(der);
    }
    return pem;
}

}  // namespace corvane
