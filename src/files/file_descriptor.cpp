#include "files/file_descriptor.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace corvane {

FileDescriptor::~FileDescriptor() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

void FileDescriptor::close() {
    const int descriptor = descriptor_;
    descriptor_ = -1;
    // On EINTR the descriptor is already released; the data was synced before.
    if (::close(descriptor) != 0 && errno != EINTR) {
        throw std::system_error(errno, std::generic_category(), "close");
    }
}

}  // namespace corvane
