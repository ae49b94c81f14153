#pragma once

#include <chrono>
#include <filesystem>

#include "files/file_descriptor.h"

namespace corvane {

// An exclusive advisory lock (flock) on a folder, held for the object's
// lifetime, so that runs of the tool take turns at a read-modify-write of a
// file in it. Waits at most `patience` for the lock: a holder that is stopped
// or hung must not hold up the caller for ever. Throws FileError when the
// folder cannot be opened or locked, EWOULDBLOCK when patience runs out.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& folder,
                        std::chrono::milliseconds patience = std::chrono::seconds(2));
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    FileDescriptor folder_;
};

}  // namespace corvane
