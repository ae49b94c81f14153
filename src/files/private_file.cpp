#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

#include "files/config_files.h"
#include "files/file_descriptor.h"
#include "model/setup_error.h"
#include "model/uuid.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void throwFileError(const char* what, const fs::path& path, int error = errno) {
    throw fs::filesystem_error(what, path, std::error_code(error, std::generic_category()));
}

void writeAll(int descriptor, const Bytes& data) {
    const char* next = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        const std::size_t chunk = std::min<std::size_t>(left, std::size_t{1} << 30);
        const ssize_t written = ::write(descriptor, next, chunk);
        if (written < 0) {
            if (errno == EINTR) continue;
            throw std::system_error(errno, std::generic_category(), "write");
        }
        if (written == 0) throw std::system_error(EIO, std::generic_category(), "write");
        next += written;
        left -= static_cast<std::size_t>(written);
    }
}

// Makes the rename itself durable. Best effort: the new content is already in
// place, and reporting a failure now would claim that nothing was applied.
void syncFolder(const fs::path& folder) {
    const fs::path name = folder.empty() ? fs::path(".") : folder;
    const int descriptor = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}

// Removes the temporary file unless it was moved into place.
class TemporaryFile {
public:
    explicit TemporaryFile(fs::path path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!moved_) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const fs::path& path() const { return path_; }
    void markMoved() { moved_ = true; }

private:
    fs::path path_;
    bool moved_ = false;
};

}  // namespace

void writePrivateFile(const Bytes& data, const fs::path& url) {
    const fs::path folder = url.parent_path();
    const fs::path temporaryPath = folder / (".corvane-" + randomUUID());
    const int descriptor =
        ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0) throw SetupError("无法写入所选应用的本地配置目录。");
    TemporaryFile temporary(temporaryPath);
    FileDescriptor file(descriptor);
    // The creation mode passes through the umask; the file must be exactly 0600.
    if (::fchmod(file.get(), 0600) != 0) throwFileError("fchmod", temporaryPath);
    writeAll(file.get(), data);
    if (::fsync(file.get()) != 0) throwFileError("fsync", temporaryPath);
    file.close();
    if (::rename(temporaryPath.c_str(), url.c_str()) != 0) {
        throw SetupError("无法应用所选应用的本地配置。");
    }
    temporary.markMoved();
    syncFolder(folder);
}

void createPrivateDirectories(const fs::path& folder) {
    std::vector<fs::path> missing;
    for (fs::path current = folder.lexically_normal(); !current.empty();) {
        if (!current.has_filename() && current != current.root_path()) {
            current = current.parent_path();
            continue;
        }
        struct stat info {};
        if (::stat(current.c_str(), &info) == 0) {
            if (!S_ISDIR(info.st_mode)) throwFileError("create folder", current, ENOTDIR);
            break;
        }
        if (errno != ENOENT) throwFileError("create folder", current);
        missing.push_back(current);
        const fs::path parent = current.parent_path();
        if (parent == current) break;
        current = parent;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (::mkdir(it->c_str(), 0700) != 0) {
            const int error = errno;
            // Another process may have created it meanwhile; a folder is fine.
            struct stat info {};
            if (error == EEXIST && ::stat(it->c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
                continue;
            }
            throwFileError("create folder", *it, error);
        }
        if (::chmod(it->c_str(), 0700) != 0) throwFileError("chmod", *it);
    }
}

void removeFileIfPresent(const fs::path& url) {
    if (::unlink(url.c_str()) != 0 && errno != ENOENT) throwFileError("remove", url);
}

}  // namespace corvane
