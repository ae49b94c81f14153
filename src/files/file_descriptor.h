#pragma once

namespace corvane {

// Owns one open POSIX file descriptor and closes it exactly once.
class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return descriptor_; }

    // Closes now and reports a failure as std::system_error; the descriptor is
    // released either way.
    void close();

private:
    int descriptor_;
};

}  // namespace corvane
