#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <ctime>
#include <functional>
#include <string_view>
#include <system_error>
#include <vector>

#include "files/config_files.h"
#include "files/file_descriptor.h"
#include "files/file_error.h"
#include "files/home_relative_path.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "model/uuid.h"
#include "platform/home.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTemporaryPrefix = ".corvane-";
// No write keeps its temporary file unchanged this long, so an older one was
// left by a run that was killed.
constexpr std::time_t kStaleTemporarySeconds = 60;

std::string systemReason(int error) { return std::generic_category().message(error); }

void writeAll(int descriptor, const Bytes& data, const fs::path& target) {
    const char* next = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        const std::size_t chunk = std::min<std::size_t>(left, std::size_t{1} << 30);
        const ssize_t written = ::write(descriptor, next, chunk);
        if (written < 0) {
            if (errno == EINTR) continue;
            throwFileError(FileStep::write, target);
        }
        if (written == 0) throwFileError(FileStep::write, target, EIO);
        next += written;
        left -= static_cast<std::size_t>(written);
    }
}

// fsync moves the data to the drive; on Apple systems the drive may still hold
// it in its cache, and F_FULLFSYNC asks it to write it out. A file system
// without F_FULLFSYNC refuses it, and fsync is then all the durability there is.
int syncToStorage(int descriptor) {
    if (::fsync(descriptor) != 0) return -1;
#ifdef F_FULLFSYNC
    (void)::fcntl(descriptor, F_FULLFSYNC);
#endif
    return 0;
}

// Makes the rename itself durable. Best effort: the new content is already in
// place, and reporting a failure now would claim that nothing was applied.
void syncFolder(const fs::path& folder) {
    const fs::path name = folder.empty() ? fs::path(".") : folder;
    const int descriptor = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    (void)syncToStorage(descriptor);
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

bool isTemporaryName(std::string_view name) {
    if (!name.starts_with(kTemporaryPrefix) || name.size() != kTemporaryPrefix.size() + 36) {
        return false;
    }
    const std::string_view uuid = name.substr(kTemporaryPrefix.size());
    for (std::size_t index = 0; index < uuid.size(); ++index) {
        const bool hyphen = index == 8 || index == 13 || index == 18 || index == 23;
        const auto c = static_cast<unsigned char>(uuid[index]);
        if (hyphen ? c != '-' : std::isxdigit(c) == 0) return false;
    }
    return true;
}

// A killed run leaves its temporary file behind, as large as the configuration
// it was writing. Best effort: the write itself does not depend on it.
void removeStaleTemporaries(const fs::path& folder) {
    std::error_code error;
    const std::time_t now = std::time(nullptr);
    for (fs::directory_iterator entries(folder, error), end; !error && entries != end;
         entries.increment(error)) {
        const fs::path& path = entries->path();
        if (!isTemporaryName(path.filename().native())) continue;
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            now - info.st_mtime > kStaleTemporarySeconds) {
            ::unlink(path.c_str());
        }
    }
}

[[noreturn]] void refuseLink(const std::string& reason) {
    throw SetupError(translated("files.config.cannot-apply"), reason);
}

bool isInside(const fs::path& path, const fs::path& folder) {
    const auto [inFolder, inPath] =
        std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    return inFolder == folder.end() && inPath != path.end();
}

// The file a write replaces: the path itself, or the final target of a
// symbolic link, so that a link kept in a dotfiles repository stays a link.
fs::path replacedFile(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::error_code error;
    fs::path target = fs::canonical(path, error);
    if (error) {
        refuseLink(translated("files.config.link-dangling", {{"file", homeRelativePath(path)}}));
    }
    const fs::path home = fs::canonical(homeDirectory(), error);
    if (error || !isInside(target, home)) {
        refuseLink(translated("files.config.link-outside-home",
                              {{"file", homeRelativePath(path)}, {"target", target.string()}}));
    }
    return target;
}

// Root editing a user's file must leave it the user's. Best effort: only root
// can give a file away, and anyone else wrote a file of their own before.
void keepOwner(int descriptor, const fs::path& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) return;
    if (info.st_uid == ::geteuid() && info.st_gid == ::getegid()) return;
    (void)::fchown(descriptor, info.st_uid, info.st_gid);
}

void writeAtomically(const Bytes& data, const fs::path& path,
                     const std::function<void()>& beforeRename) {
    const fs::path target = replacedFile(path);
    const fs::path folder = target.parent_path();
    removeStaleTemporaries(folder);
    const fs::path temporaryPath = folder / (std::string(kTemporaryPrefix) + randomUUID());
    const int descriptor =
        ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        const int error = errno;
        throw SetupError(
            translated("files.config.cannot-write-folder"),
            translated("files.config.cannot-create-in",
                       {{"folder", homeRelativePath(folder)}, {"reason", systemReason(error)}}));
    }
    TemporaryFile temporary(temporaryPath);
    FileDescriptor file(descriptor);
    // The creation mode passes through the umask; the file must be exactly 0600.
    if (::fchmod(file.get(), 0600) != 0) throwFileError(FileStep::setPermissions, temporaryPath);
    keepOwner(file.get(), target);
    writeAll(file.get(), data, target);
    if (syncToStorage(file.get()) != 0) throwFileError(FileStep::flush, temporaryPath);
    file.close();
    if (beforeRename) beforeRename();
    if (::rename(temporaryPath.c_str(), target.c_str()) != 0) {
        const int error = errno;
        throw SetupError(
            translated("files.config.cannot-apply"),
            translated("files.config.cannot-replace",
                       {{"file", homeRelativePath(target)}, {"reason", systemReason(error)}}));
    }
    temporary.markMoved();
    syncFolder(folder);
}

}  // namespace

void writePrivateFile(const Bytes& data, const fs::path& path) { writeAtomically(data, path, {}); }

void writeGuardedFile(const Bytes& data, const fs::path& path,
                      const std::optional<Bytes>& holding) {
    writeAtomically(data, path, [&] {
        if (!fileStillHolds(path, holding)) {
            throw SetupError(translated("files.config.changed-under-us"));
        }
    });
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
            if (!S_ISDIR(info.st_mode)) throwFileError(FileStep::createFolder, current, ENOTDIR);
            break;
        }
        if (errno != ENOENT) throwFileError(FileStep::createFolder, current);
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
            throwFileError(FileStep::createFolder, *it, error);
        }
        if (::chmod(it->c_str(), 0700) != 0) throwFileError(FileStep::setPermissions, *it);
    }
}

void removeFileIfPresent(const fs::path& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) throwFileError(FileStep::remove, path);
}

}  // namespace corvane
