#include "files/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <system_error>

namespace corvane {
namespace {

int openFolder(const std::filesystem::path& folder) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) throw std::system_error(errno, std::generic_category(), folder.string());
    return descriptor;
}

}  // namespace

FolderLock::FolderLock(const std::filesystem::path& folder) : folder_(openFolder(folder)) {
    // No stop is needed: a holder keeps the lock for one read and one write,
    // and the system drops it when the holder dies.
    int result = 0;
    do {
        result = ::flock(folder_.get(), LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) throw std::system_error(errno, std::generic_category(), folder.string());
}

}  // namespace corvane
