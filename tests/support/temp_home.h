#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace corvane::testing {

// A fresh temporary folder that stands in as the user's home for one test.
// Points HOME at it, clears CODEX_HOME, XDG_CONFIG_HOME and XDG_DATA_HOME and
// points XDG_DATA_DIRS at its "share" folder; restores the
// previous environment and removes the folder on destruction. No test ever
// touches the real home directory.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Sets (or, with nothing, unsets) an environment variable until destruction.
    void setEnvironment(const std::string& name, std::optional<std::string> value);

private:
    std::filesystem::path path_;
    std::map<std::string, std::optional<std::string>> saved_;
};

// Whole-file helpers for tests.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& content);
unsigned permissions(const std::filesystem::path& path);

// Every file below `folder` with its bytes and modification time.
using FilesWithTimes =
    std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>>;
FilesWithTimes filesWithTimes(const std::filesystem::path& folder);

}  // namespace corvane::testing
