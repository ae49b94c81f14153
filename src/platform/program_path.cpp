#include "platform/program_path.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace corvane {
namespace {

bool isExecutableFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<std::filesystem::path> resolveProgram(std::string_view command) {
    if (command.empty()) return std::nullopt;
    if (command.find('/') != std::string_view::npos) {
        const std::filesystem::path path(command);
        if (path.is_absolute() && isExecutableFile(path)) return path;
        return std::nullopt;
    }
    const char* variable = std::getenv("PATH");
    std::string_view folders = variable ? variable : "/usr/local/bin:/usr/bin:/bin";
    while (!folders.empty()) {
        const std::size_t colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        // An empty entry would mean the current folder, which is never ours to run from.
        if (!folder.empty()) {
            std::filesystem::path candidate = std::filesystem::path(folder) / command;
            if (isExecutableFile(candidate)) return candidate;
        }
        folders.remove_prefix(colon == std::string_view::npos ? folders.size() : colon + 1);
    }
    return std::nullopt;
}

}  // namespace corvane
