#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace corvane::testing {

struct ProgramResult {
    int exitStatus = -1;  // 128 + signal number when a signal ended it
    std::string output;
    std::string error;
};

struct ProgramRun {
    std::filesystem::path program;
    std::vector<std::string> arguments;
    std::string input;
    // Variables to set (a value) or remove (nothing) on top of this process's
    // environment.
    std::map<std::string, std::optional<std::string>> environment;
    std::chrono::seconds timeout{60};
    // The folder it starts in; nothing: this process's.
    std::optional<std::filesystem::path> workingDirectory;
    // Called with the program's process id once it has started, e.g. to start
    // a thread that signals it.
    std::function<void(pid_t)> started;
};

// Runs a program to its end, feeding `input` and capturing both outputs.
// A program still running at the timeout is killed (exit status 128 + 9).
ProgramResult runProgram(const ProgramRun& run);

}  // namespace corvane::testing
