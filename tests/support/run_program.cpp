#include "support/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <stdexcept>

extern char** environ;

namespace corvane::testing {
namespace {

// pipe2 is Linux's: the descriptors get close-on-exec after pipe(), and the
// lock keeps another run's fork out of the moment between the two, so that no
// child inherits the other's pipe and holds it open.
std::mutex pipeCreation;

void openPipe(int (&ends)[2]) {
    if (pipe(ends) != 0) throw std::runtime_error("pipe failed");
    for (int end : ends) fcntl(end, F_SETFD, FD_CLOEXEC);
}

std::vector<std::string> mergedEnvironment(
    const std::map<std::string, std::optional<std::string>>& changes) {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const std::size_t separator = text.find('=');
        if (separator != std::string::npos) {
            variables[text.substr(0, separator)] = text.substr(separator + 1);
        }
    }
    // The programs under test speak the language of the developer's locale;
    // the tests read Chinese unless they choose a language themselves.
    constexpr const char* kLanguageVariables[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    const bool choosesLanguage =
        std::any_of(std::begin(kLanguageVariables), std::end(kLanguageVariables),
                    [&](const char* name) { return changes.contains(name); });
    if (!choosesLanguage) {
        for (const char* name : kLanguageVariables) variables.erase(name);
        variables["LC_ALL"] = "C.UTF-8";
    }
    for (const auto& [name, value] : changes) {
        if (value) {
            variables[name] = *value;
        } else {
            variables.erase(name);
        }
    }
    std::vector<std::string> result;
    for (const auto& [name, value] : variables) result.push_back(name + "=" + value);
    return result;
}

}  // namespace

ProgramResult runProgram(const ProgramRun& run) {
    int input[2], output[2], error[2];
    std::unique_lock creating(pipeCreation);
    openPipe(input);
    openPipe(output);
    openPipe(error);
    std::vector<std::string> arguments{run.program.string()};
    arguments.insert(arguments.end(), run.arguments.begin(), run.arguments.end());
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables = mergedEnvironment(run.environment);
    std::vector<char*> envp;
    for (auto& variable : variables) envp.push_back(variable.data());
    envp.push_back(nullptr);

    const std::string folder = run.workingDirectory ? run.workingDirectory->string() : "";
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid != 0) creating.unlock();
    if (pid == 0) {
        if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(127);
        dup2(input[0], STDIN_FILENO);
        dup2(output[1], STDOUT_FILENO);
        dup2(error[1], STDERR_FILENO);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(input[0]);
    close(output[1]);
    close(error[1]);
    if (run.started) run.started(pid);

    ProgramResult result;
    std::size_t written = 0;
    int inputFd = input[1];
    if (run.input.empty()) {
        close(inputFd);
        inputFd = -1;
    } else {
        fcntl(inputFd, F_SETFL, O_NONBLOCK);
    }
    const auto deadline = std::chrono::steady_clock::now() + run.timeout;
    bool outputOpen = true, errorOpen = true, killed = false;
    signal(SIGPIPE, SIG_IGN);
    while (outputOpen || errorOpen) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            kill(pid, SIGKILL);
            killed = true;
            break;
        }
        pollfd fds[3] = {{outputOpen ? output[0] : -1, POLLIN, 0},
                         {errorOpen ? error[0] : -1, POLLIN, 0},
                         {inputFd, POLLOUT, 0}};
        if (poll(fds, 3, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
        char buffer[65536];
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            const ssize_t count = read(fds[i].fd, buffer, sizeof buffer);
            if (count > 0) {
                (i == 0 ? result.output : result.error).append(buffer, count);
            } else if (count == 0 || errno != EINTR) {
                (i == 0 ? outputOpen : errorOpen) = false;
            }
        }
        if (inputFd >= 0 && fds[2].revents != 0) {
            const ssize_t count =
                write(inputFd, run.input.data() + written, run.input.size() - written);
            if (count > 0) written += count;
            if (count < 0 && errno != EAGAIN && errno != EINTR) written = run.input.size();
            if (written == run.input.size()) {
                close(inputFd);
                inputFd = -1;
            }
        }
    }
    if (inputFd >= 0) close(inputFd);
    close(output[0]);
    close(error[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (killed) result.exitStatus = 128 + SIGKILL;
    return result;
}

}  // namespace corvane::testing
