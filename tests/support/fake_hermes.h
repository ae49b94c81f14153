#pragma once

#include <sys/types.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace corvane::testing {

// A Hermes application bundle ("Hermes.app") in a test folder. Its converter
// is a shell script that logs each run (its arguments and process id) and
// hands over to Debian's python3, whose PyYAML makes the conversion real YAML.
// Setting FAKE_HERMES_EDIT to a file path makes each run append a line to that
// file, as Hermes might while the tool converts.
class FakeHermes {
public:
    enum class Converter {
        yaml,           // runs /usr/bin/python3 with the given arguments
        hang,           // never answers
        missing,        // the bundle has no converter
        notExecutable,  // the converter file lacks its execute bits
    };

    explicit FakeHermes(const std::filesystem::path& folder, Converter converter = Converter::yaml);

    const std::filesystem::path& bundle() const { return bundle_; }

    // The arguments of each run of the converter so far, one line per run.
    std::vector<std::string> runs() const;

    // The process id of the converter's latest run, once it has started.
    std::optional<pid_t> lastPid() const;

private:
    std::filesystem::path bundle_;
    std::filesystem::path log_;
    std::filesystem::path pidFile_;
};

// Whether a process (a zombie included) with this id exists.
bool processExists(pid_t pid);

// The document in `file` as PyYAML reads it: an oracle independent of the
// code under test.
nlohmann::json readYamlWithPyYAML(const std::filesystem::path& file);

}  // namespace corvane::testing
