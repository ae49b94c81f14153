#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// A program started by the tool, with its standard streams as pipes or the
// null device. Failures are PlatformError; a stop request on a wait is
// OperationCancelled. Destroying a handle whose child still runs kills and
// reaps it, so no child outlives its handle as a zombie.
class ChildProcess {
public:
    enum class Stream { pipe, nullDevice };
    struct Streams {
        Stream input = Stream::nullDevice;
        Stream output = Stream::nullDevice;
        Stream error = Stream::nullDevice;
    };

    // Throws PlatformError when the program cannot be started.
    static std::unique_ptr<ChildProcess> start(const std::filesystem::path& executable,
                                               const std::vector<std::string>& arguments,
                                               Streams streams);
    virtual ~ChildProcess() = default;

    // Writes all bytes to the input pipe; fails when the child stops reading
    // before `deadline`.
    virtual void writeInput(std::string_view bytes, std::chrono::steady_clock::time_point deadline,
                            std::stop_token stop) = 0;
    virtual void closeInput() = 0;

    // Reads the output pipe to its end; fails when that takes past `deadline`.
    virtual std::string readOutputToEnd(std::chrono::steady_clock::time_point deadline,
                                        std::stop_token stop) = 0;

    virtual bool isRunning() = 0;

    // Waits for the child to end and returns its exit status (128 + signal
    // number when a signal ended it); fails past `deadline`.
    virtual int waitForExit(std::chrono::steady_clock::time_point deadline,
                            std::stop_token stop) = 0;

    // The exit status once ended; nothing while it runs.
    virtual std::optional<int> exitStatus() = 0;

    // SIGTERM, and SIGKILL.
    virtual void terminate() = 0;
    virtual void kill() = 0;
};

// Raised when a child-process wait passes its deadline.
class ChildProcessTimeout : public std::runtime_error {
public:
    ChildProcessTimeout() : std::runtime_error("child process timed out") {}
};

}  // namespace corvane
