#include "platform/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/child_environment.h"
#include "platform/platform_error.h"

namespace corvane {
namespace {

using Clock = std::chrono::steady_clock;

// How often a wait looks at the stop token while nothing else happens.
constexpr std::chrono::milliseconds kWakeInterval{20};

std::string errorText(const std::string& what, int error) {
    // Unlike strerror, thread-safe.
    return what + ": " + std::error_code(error, std::generic_category()).message();
}

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    ~FileDescriptor() { reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

struct Pipe {
    FileDescriptor read;
    FileDescriptor write;
};

// Both ends close on exec; the child's copy is made by dup2, which clears the
// flag. Only the parent's end is non-blocking: the flag belongs to the shared
// file description, and the child expects ordinary blocking streams.
Pipe makePipe(bool parentReads) {
    int fds[2];
    if (::pipe(fds) != 0) throw PlatformError(errorText("pipe", errno));
    Pipe result{FileDescriptor(fds[0]), FileDescriptor(fds[1])};
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(fds[1], F_SETFD, FD_CLOEXEC);
    int parentEnd = parentReads ? fds[0] : fds[1];
    ::fcntl(parentEnd, F_SETFL, ::fcntl(parentEnd, F_GETFL) | O_NONBLOCK);
#ifdef __APPLE__
    if (!parentReads) ::fcntl(parentEnd, F_SETNOSIGPIPE, 1);
#endif
    return result;
}

int pollTimeout(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::clamp(left, std::chrono::milliseconds{0}, kWakeInterval).count());
}

void checkWait(Clock::time_point deadline, const std::stop_token& stop) {
    if (stop.stop_requested()) throw OperationCancelled();
    if (Clock::now() >= deadline) throw ChildProcessTimeout();
}

class PosixChildProcess final : public ChildProcess {
public:
    PosixChildProcess(pid_t pid, FileDescriptor input, FileDescriptor output, FileDescriptor error)
        : pid_(pid),
          input_(std::move(input)),
          output_(std::move(output)),
          error_(std::move(error)) {}

    ~PosixChildProcess() override {
        if (!status_) {
            ::kill(pid_, SIGKILL);
            int raw = 0;
            while (::waitpid(pid_, &raw, 0) < 0 && errno == EINTR) {
            }
        }
    }

    void writeInput(std::string_view bytes, Clock::time_point deadline,
                    std::stop_token stop) override {
        if (!input_.valid()) throw PlatformError("the child's input is not a pipe");
        while (!bytes.empty()) {
            checkWait(deadline, stop);
            pollfd fds[3] = {
                {input_.get(), POLLOUT, 0}, {output_.get(), POLLIN, 0}, {error_.get(), POLLIN, 0}};
            if (::poll(fds, 3, pollTimeout(deadline)) < 0 && errno != EINTR) {
                throw PlatformError(errorText("poll", errno));
            }
            // Keep draining the child's output so that it never blocks on a full
            // pipe while we are still feeding it.
            drain(output_, fds[1].revents, outputBuffer_);
            drain(error_, fds[2].revents, errorBuffer_);
            if (fds[0].revents & (POLLERR | POLLHUP)) {
                throw PlatformError("the child stopped reading its input");
            }
            if (!(fds[0].revents & POLLOUT)) continue;
            ssize_t written = writeIgnoringSigpipe(bytes);
            if (written < 0) {
                if (errno == EAGAIN || errno == EINTR) continue;
                throw PlatformError(errorText("write to child", errno));
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }

    void closeInput() override { input_.reset(); }

    std::string readOutputToEnd(Clock::time_point deadline, std::stop_token stop) override {
        if (!output_.valid() && outputBuffer_.empty()) {
            throw PlatformError("the child's output is not a pipe");
        }
        while (output_.valid()) {
            checkWait(deadline, stop);
            pollfd fds[2] = {{output_.get(), POLLIN, 0}, {error_.get(), POLLIN, 0}};
            if (::poll(fds, 2, pollTimeout(deadline)) < 0 && errno != EINTR) {
                throw PlatformError(errorText("poll", errno));
            }
            drain(output_, fds[0].revents, outputBuffer_);
            drain(error_, fds[1].revents, errorBuffer_);
        }
        return std::exchange(outputBuffer_, {});
    }

    bool isRunning() override { return !exitStatus().has_value(); }

    int waitForExit(Clock::time_point deadline, std::stop_token stop) override {
        while (true) {
            if (auto status = exitStatus()) return *status;
            checkWait(deadline, stop);
            std::this_thread::sleep_for(std::chrono::milliseconds(pollTimeout(deadline)));
        }
    }

    std::optional<int> exitStatus() override {
        if (status_) return status_;
        int raw = 0;
        pid_t result = ::waitpid(pid_, &raw, WNOHANG);
        if (result == 0 || (result < 0 && errno == EINTR)) return std::nullopt;
        if (result < 0) throw PlatformError(errorText("waitpid", errno));
        if (WIFEXITED(raw)) {
            status_ = WEXITSTATUS(raw);
        } else if (WIFSIGNALED(raw)) {
            status_ = 128 + WTERMSIG(raw);
        } else {
            return std::nullopt;
        }
        return status_;
    }

    void terminate() override {
        if (!status_) ::kill(pid_, SIGTERM);
    }

    void kill() override {
        if (!status_) ::kill(pid_, SIGKILL);
    }

private:
    // A child that has closed its input would otherwise end this process
    // with SIGPIPE. On Linux the signal is blocked for this thread and a
    // pending one taken back, so only EPIPE remains; macOS pipes are marked
    // not to raise it.
    ssize_t writeIgnoringSigpipe(std::string_view bytes) {
#ifdef __APPLE__
        return ::write(input_.get(), bytes.data(), bytes.size());
#else
        sigset_t pipeSignal;
        sigset_t previous;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
        ssize_t written = ::write(input_.get(), bytes.data(), bytes.size());
        int writeError = errno;
        if (written < 0 && writeError == EPIPE) {
            timespec none{};
            while (sigtimedwait(&pipeSignal, nullptr, &none) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        errno = writeError;
        return written;
#endif
    }

    static void drain(FileDescriptor& fd, short revents, std::string& buffer) {
        if (!fd.valid() || revents == 0) return;
        char chunk[65536];
        while (true) {
            ssize_t count = ::read(fd.get(), chunk, sizeof chunk);
            if (count > 0) {
                buffer.append(chunk, static_cast<std::size_t>(count));
                continue;
            }
            if (count < 0 && errno == EINTR) continue;
            if (count < 0 && errno == EAGAIN) return;
            fd.reset();
            return;
        }
    }

    pid_t pid_;
    FileDescriptor input_;
    FileDescriptor output_;
    FileDescriptor error_;
    std::string outputBuffer_;
    std::string errorBuffer_;
    std::optional<int> status_;
};

class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

// A child starts with no signal blocked: the command line blocks SIGINT and
// SIGTERM to watch for them on a thread, and a child that inherited that mask
// would ignore terminate().
class SpawnAttributes {
public:
    SpawnAttributes() {
        posix_spawnattr_init(&attributes_);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawnattr_t* get() { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
};

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::start(const std::filesystem::path& executable,
                                                  const std::vector<std::string>& arguments,
                                                  Streams streams) {
    SpawnActions actions;
    std::optional<Pipe> input;
    std::optional<Pipe> output;
    std::optional<Pipe> error;
    auto connect = [&](Stream kind, int target, bool parentReads, std::optional<Pipe>& pipe) {
        if (kind == Stream::pipe) {
            pipe = makePipe(parentReads);
            int childEnd = parentReads ? pipe->write.get() : pipe->read.get();
            posix_spawn_file_actions_adddup2(actions.get(), childEnd, target);
        } else {
            posix_spawn_file_actions_addopen(actions.get(), target, "/dev/null",
                                             target == STDIN_FILENO ? O_RDONLY : O_WRONLY, 0);
        }
    };
    connect(streams.input, STDIN_FILENO, false, input);
    connect(streams.output, STDOUT_FILENO, true, output);
    connect(streams.error, STDERR_FILENO, true, error);

    std::vector<std::string> argumentStrings{executable.string()};
    argumentStrings.insert(argumentStrings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    argv.reserve(argumentStrings.size() + 1);
    for (std::string& argument : argumentStrings) argv.push_back(argument.data());
    argv.push_back(nullptr);

    SpawnAttributes attributes;
    std::vector<char*> environment = childEnvironment();
    pid_t pid = 0;
    int result = posix_spawn(&pid, executable.c_str(), actions.get(), attributes.get(), argv.data(),
                             environment.data());
    if (result != 0) throw PlatformError(errorText("cannot start " + executable.string(), result));

    return std::make_unique<PosixChildProcess>(pid,
                                               input ? std::move(input->write) : FileDescriptor(),
                                               output ? std::move(output->read) : FileDescriptor(),
                                               error ? std::move(error->read) : FileDescriptor());
}

}  // namespace corvane
