#include "files/file_error.h"

#include <system_error>

#include "files/home_relative_path.h"
#include "model/messages.h"

namespace corvane {
namespace {

std::string sentence(FileStep step, const std::filesystem::path& path,
                     const std::error_code& code) {
    const std::string file = homeRelativePath(path);
    const std::string reason = code.message();
    switch (step) {
        case FileStep::inspect:
            return translated("files.error.inspect", {{"file", file}, {"reason", reason}});
        case FileStep::read:
            return translated("files.error.read", {{"file", file}, {"reason", reason}});
        case FileStep::write:
            return translated("files.error.write", {{"file", file}, {"reason", reason}});
        case FileStep::setPermissions:
            return translated("files.error.set-permissions", {{"file", file}, {"reason", reason}});
        case FileStep::flush:
            return translated("files.error.flush", {{"file", file}, {"reason", reason}});
        case FileStep::createFolder:
            return translated("files.error.create-folder", {{"folder", file}, {"reason", reason}});
        case FileStep::remove:
            return translated("files.error.remove", {{"file", file}, {"reason", reason}});
        case FileStep::lock:
            return translated("files.error.lock", {{"folder", file}, {"reason", reason}});
    }
    return translated("files.error.inspect", {{"file", file}, {"reason", reason}});
}

}  // namespace

FileError::FileError(FileStep step, const std::filesystem::path& path, int error)
    : std::filesystem::filesystem_error("file step failed", path,
                                        std::error_code(error, std::generic_category())),
      text_(sentence(step, path, code())) {}

void throwFileError(FileStep step, const std::filesystem::path& path, int error) {
    throw FileError(step, path, error);
}

}  // namespace corvane
