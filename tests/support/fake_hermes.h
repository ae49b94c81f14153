#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace corvane::testing {

// A Hermes application bundle ("Hermes.app") in a test folder. Its converter
// is a shell script that logs each run and hands over to Debian's python3,
// whose PyYAML makes the conversion real YAML.
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

private:
    std::filesystem::path bundle_;
    std::filesystem::path log_;
};

// The document in `file` as PyYAML reads it: an oracle independent of the
// code under test.
nlohmann::json readYamlWithPyYAML(const std::filesystem::path& file);

}  // namespace corvane::testing
