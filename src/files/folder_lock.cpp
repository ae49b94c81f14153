#include "files/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <thread>

#include "files/file_error.h"

namespace corvane {
namespace {

int openFolder(const std::filesystem::path& folder) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) throwFileError(FileStep::lock, folder);
    return descriptor;
}

}  // namespace

FolderLock::FolderLock(const std::filesystem::path& folder, std::chrono::milliseconds patience)
    : folder_(openFolder(folder)) {
    // flock cannot wait with a deadline; a holder keeps the lock for one read
    // and one write, so short polls cost nothing in the common case.
    constexpr std::chrono::milliseconds kPoll{10};
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (::flock(folder_.get(), LOCK_EX | LOCK_NB) == 0) return;
        const int error = errno;
        if (error == EINTR) continue;
        if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            throwFileError(FileStep::lock, folder, error);
        }
        std::this_thread::sleep_for(kPoll);
    }
}

}  // namespace corvane
