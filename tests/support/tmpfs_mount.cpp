#include "support/tmpfs_mount.h"

#include <fcntl.h>
#include <unistd.h>

#ifdef __linux__
#include <sys/mount.h>
#endif

#include <string>

namespace corvane::testing {

TmpfsMount::TmpfsMount(std::filesystem::path folder, const std::string& options)
    : folder_(std::move(folder)) {
#ifdef __linux__
    std::filesystem::create_directories(folder_);
    unsigned long flags = 0;
    std::string data;
    // "ro" is a mount flag, not a tmpfs option.
    if (options == "ro") {
        flags = MS_RDONLY;
    } else {
        data = options;
    }
    mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", flags, data.c_str()) == 0;
#else
    (void)options;
#endif
}

TmpfsMount::~TmpfsMount() {
#ifdef __linux__
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
#endif
}

void TmpfsMount::fill() const {
    const std::filesystem::path filler = folder_ / "filler";
    const int descriptor = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (descriptor < 0) return;
    const std::string block(4096, 'x');
    while (::write(descriptor, block.data(), block.size()) > 0) {
    }
    while (::write(descriptor, block.data(), 1) > 0) {
    }
    ::close(descriptor);
}

}  // namespace corvane::testing
