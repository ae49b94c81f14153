#pragma once

#include <cerrno>
#include <filesystem>
#include <string>

namespace corvane {

// What the tool was doing with a file when the system refused it.
enum class FileStep { inspect, read, write, setPermissions, flush, createFolder, remove, lock };

// A file-system failure as people read it: the tool's sentence naming the
// file (from "~"), then the system's reason. Still a filesystem_error, so
// callers keep its code and path.
class FileError : public std::filesystem::filesystem_error {
public:
    FileError(FileStep step, const std::filesystem::path& path, int error);
    const char* what() const noexcept override { return text_.c_str(); }

private:
    std::string text_;
};

[[noreturn]] void throwFileError(FileStep step, const std::filesystem::path& path,
                                 int error = errno);

}  // namespace corvane
