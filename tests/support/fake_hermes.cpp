#include "support/fake_hermes.h"

#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "support/temp_home.h"

namespace corvane::testing {
namespace {

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

}  // namespace

FakeHermes::FakeHermes(const std::filesystem::path& folder, Converter converter)
    : bundle_(folder / "Hermes.app"),
      log_(folder / "hermes-converter-runs.log"),
      pidFile_(folder / "hermes-converter.pid") {
    const auto bin = bundle_ / "Contents/Resources/agent-payload/venv/bin";
    std::filesystem::create_directories(bin);
    if (converter == Converter::missing) return;

    std::string script = "#!/bin/sh\nprintf '%s\\n' \"$*\" >> " + shellQuoted(log_.string()) +
                         "\necho $$ > " + shellQuoted(pidFile_.string()) +
                         "\nif [ -n \"$FAKE_HERMES_EDIT\" ]; then echo '# edited' >> "
                         "\"$FAKE_HERMES_EDIT\"; fi\n";
    script += converter == Converter::hang ? "exec sleep 600\n" : "exec /usr/bin/python3 \"$@\"\n";
    const auto python = bin / "python3";
    writeFile(python, script);
    std::filesystem::permissions(python, converter == Converter::notExecutable
                                             ? std::filesystem::perms(0644)
                                             : std::filesystem::perms(0755));
}

std::vector<std::string> FakeHermes::runs() const {
    std::vector<std::string> lines;
    std::ifstream stream(log_);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

std::optional<pid_t> FakeHermes::lastPid() const {
    std::ifstream stream(pidFile_);
    pid_t pid = 0;
    if (stream >> pid) return pid;
    return std::nullopt;
}

bool processExists(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

nlohmann::json readYamlWithPyYAML(const std::filesystem::path& file) {
    const std::string command =
        "/usr/bin/python3 -c 'import json, sys, yaml; "
        "json.dump(yaml.safe_load(open(sys.argv[1], encoding=\"utf-8\")), sys.stdout)' " +
        shellQuoted(file.string());
    std::unique_ptr<FILE, decltype(&pclose)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) throw std::runtime_error("cannot run python3");
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
        output.append(buffer, n);
    }
    if (pclose(pipe.release()) != 0)
        throw std::runtime_error("PyYAML cannot read " + file.string());
    return nlohmann::json::parse(output);
}

}  // namespace corvane::testing
