// The three libcrypto functions the Linux window calls, which load libcrypto
// the first time one is called rather than at start: loading it costs the
// first paint about 120 page faults and 2-3 ms, for digests that only an
// apply or a reset needs. Each function stands in for libcrypto's own and
// hands the call on. The command line and the Mac link libcrypto itself.
#include <dlfcn.h>
#include <openssl/evp.h>

#include <cstddef>

namespace {

// libcrypto's own function of this name and type, or null when libcrypto
// cannot be loaded; the stand-ins then fail as a digest fails.
template <typename Function>
Function* own(const char* name) {
    // Loaded once, on whichever thread asks first.
    static void* const handle = dlopen("libcrypto.so.3", RTLD_NOW | RTLD_LOCAL);
    return handle == nullptr ? nullptr : reinterpret_cast<Function*>(dlsym(handle, name));
}

}  // namespace

extern "C" {

const EVP_MD* EVP_sha1() {
    static auto* const ownSha1 = own<decltype(EVP_sha1)>("EVP_sha1");
    return ownSha1 != nullptr ? ownSha1() : nullptr;
}

const EVP_MD* EVP_sha256() {
    static auto* const ownSha256 = own<decltype(EVP_sha256)>("EVP_sha256");
    return ownSha256 != nullptr ? ownSha256() : nullptr;
}

// Named as libcrypto's header names them: md is the digest's room, impl the engine.
int EVP_Digest(const void* data, std::size_t count, unsigned char* md, unsigned int* size,
               const EVP_MD* type, ENGINE* impl) {
    static auto* const ownDigest = own<decltype(EVP_Digest)>("EVP_Digest");
    if (ownDigest == nullptr || type == nullptr) return 0;
    return ownDigest(data, count, md, size, type, impl);
}
}
