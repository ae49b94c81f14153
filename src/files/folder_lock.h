#pragma once

#include <filesystem>

#include "files/file_descriptor.h"

namespace corvane {

// An exclusive advisory lock (flock) on a folder, held for the object's
// lifetime, so that runs of the tool take turns at a read-modify-write of a
// file in it. Waits until the lock is free. Throws std::system_error when the
// folder cannot be opened or locked.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& folder);
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    FileDescriptor folder_;
};

}  // namespace corvane
