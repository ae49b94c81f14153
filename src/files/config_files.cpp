#include "files/config_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "files/file_descriptor.h"
#include "files/file_error.h"
#include "files/home_relative_path.h"
#include "files/json5.h"
#include "files/json_text.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "model/text.h"
#include "platform/home.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

bool entryExists(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) return true;
    if (errno == ENOENT) return false;
    throwFileError(FileStep::inspect, path);
}

// Larger files are refused before they are read: editing them in memory would
// take many times their size, and no client's configuration comes near it.
constexpr off_t kLargestConfiguration = off_t{64} << 20;

[[noreturn]] void refuseTooLarge() { throw SetupError(translated("files.config.too-large")); }

// The whole file, and in `opened` what it was when opened.
std::optional<Bytes> readConfiguration(const fs::path& path, struct stat& opened) {
    // Non-blocking, so that a named pipe at the path cannot hang the caller;
    // it has no effect on regular files.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        if (errno == ENOENT) return std::nullopt;
        throwFileError(FileStep::read, path);
    }
    FileDescriptor file(descriptor);
    if (::fstat(file.get(), &opened) != 0) throwFileError(FileStep::read, path);
    // A pipe or a device is no configuration file and might never end.
    if (S_ISDIR(opened.st_mode)) throwFileError(FileStep::read, path, EISDIR);
    if (!S_ISREG(opened.st_mode)) throwFileError(FileStep::read, path, EINVAL);
    if (opened.st_size > kLargestConfiguration) refuseTooLarge();
    Bytes content;
    content.reserve(static_cast<std::size_t>(opened.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) continue;
            throwFileError(FileStep::read, path);
        }
        if (count == 0) break;
        // The file may grow while it is read.
        if (content.size() + static_cast<std::size_t>(count) >
            static_cast<std::size_t>(kLargestConfiguration)) {
            refuseTooLarge();
        }
        content.append(buffer, static_cast<std::size_t>(count));
    }
    return content;
}

Bytes recoveryBackupContent(const std::optional<Bytes>& holding) {
    if (!holding) return {};
    return holding->empty() ? Bytes(kEmptyFileBackup) : *holding;
}

}  // namespace

std::optional<std::string> defaultPath(Client client) {
    const std::span<const std::string_view> candidates = defaultPaths(client);
    if (candidates.empty()) return std::nullopt;
    const fs::path home = homeDirectory();
    for (std::string_view candidate : candidates) {
        std::error_code error;
        if (fs::exists(home / candidate.substr(2), error)) return std::string(candidate);
    }
    return std::string(candidates.front());
}

fs::path localClientConfigURL(Client client, std::string_view chosenPath) {
    std::string path = trimmed(chosenPath);
    if (path.empty()) path = defaultPath(client).value_or("");
    if (path == "~") return homeDirectory();
    if (path.starts_with("~/")) return homeDirectory() / path.substr(2);
    return path;
}

std::optional<Bytes> configurationData(const fs::path& path) {
    struct stat opened {};
    return readConfiguration(path, opened);
}

bool fileStillHolds(const fs::path& path, const std::optional<Bytes>& holding) {
    struct stat opened {};
    if (readConfiguration(path, opened) != holding) return false;
    struct stat now {};
    if (::stat(path.c_str(), &now) != 0) return !holding && errno == ENOENT;
    // Another file renamed onto the path after it was read.
    return holding && now.st_dev == opened.st_dev && now.st_ino == opened.st_ino &&
           now.st_size == opened.st_size;
}

nlohmann::json jsonObject(const std::optional<Bytes>& data) {
    if (!data) return nlohmann::json::object();
    nlohmann::json value = parseJson5(*data);
    if (!value.is_object()) throw SetupError(translated("files.config.not-an-object"));
    return value;
}

void saveJSON(const nlohmann::json& value, const fs::path& path,
              const std::optional<Bytes>& holding) {
    replaceConfiguration(prettyJSON(value), path, holding);
}

void refuseReadOnlyFile(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || (info.st_mode & S_IWUSR) != 0) return;
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    throw SetupError(translated("files.config.read-only"),
                     translated("files.config.read-only-detail",
                                {{"file", homeRelativePath(path)}, {"mode", mode}}));
}

void replaceConfiguration(const Bytes& data, const fs::path& path,
                          const std::optional<Bytes>& holding, RecoveryBackup backupRule) {
    refuseReadOnlyFile(path);
    createPrivateDirectories(path.parent_path());
    if (configurationData(path) != holding) {
        throw SetupError(translated("files.config.changed-under-us"));
    }
    const fs::path backup = recoveryBackupURL(path);
    std::optional<Bytes> earlierBackup;
    if (entryExists(backup)) {
        if (backupRule == RecoveryBackup::keepFirst) {
            writeGuardedFile(data, path, holding);
            return;
        }
        earlierBackup = configurationData(backup);
    }
    writePrivateFile(recoveryBackupContent(holding), backup);
    try {
        writeGuardedFile(data, path, holding);
    } catch (...) {
        // Nothing of a failed save stays behind, so a retry takes the backup
        // from the file as it is then.
        try {
            if (earlierBackup) {
                writePrivateFile(*earlierBackup, backup);
            } else {
                ::unlink(backup.c_str());
            }
        } catch (...) {
            // The failed save is the error to report.
        }
        throw;
    }
}

fs::path recoveryBackupURL(const fs::path& path) {
    std::string name = ".";
    name += path.filename().string();
    name += ".corvane-backup";
    return path.parent_path() / name;
}

}  // namespace corvane
