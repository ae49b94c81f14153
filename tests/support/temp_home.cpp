#include "support/temp_home.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace corvane::testing {

TempHome::TempHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-home-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = std::filesystem::canonical(pattern);
    setEnvironment("HOME", path_.string());
    setEnvironment("CODEX_HOME", std::nullopt);
    setEnvironment("XDG_CONFIG_HOME", std::nullopt);
    // Desktop entries are looked for only inside the home: the data home's
    // default, and one system data folder of its own.
    setEnvironment("XDG_DATA_HOME", std::nullopt);
    setEnvironment("XDG_DATA_DIRS", (path_ / "share").string());
}

TempHome::~TempHome() {
    for (const auto& [name, value] : saved_) {
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void TempHome::setEnvironment(const std::string& name, std::optional<std::string> value) {
    if (!saved_.contains(name)) {
        const char* previous = std::getenv(name.c_str());
        saved_[name] = previous ? std::optional<std::string>(previous) : std::nullopt;
    }
    if (value) {
        setenv(name.c_str(), value->c_str(), 1);
    } else {
        unsetenv(name.c_str());
    }
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream content;
    content << stream.rdbuf();
    return content.str();
}

void writeFile(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream << content;
    if (!stream) throw std::runtime_error("cannot write " + path.string());
}

unsigned permissions(const std::filesystem::path& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) throw std::runtime_error("cannot stat " + path.string());
    return info.st_mode & 07777;
}

FilesWithTimes filesWithTimes(const std::filesystem::path& folder) {
    FilesWithTimes files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        files[entry.path().string()] = {readFile(entry.path()), entry.last_write_time()};
    }
    return files;
}

}  // namespace corvane::testing
