#pragma once

#include <stop_token>
#include <thread>

namespace corvane::cli {

// Turns Ctrl-C (SIGINT) into a stop request for the running work, so that
// waits end promptly and the command can report the cancellation itself. The
// previous handler is restored on destruction. One at a time per process.
class InterruptStop {
public:
    InterruptStop();
    ~InterruptStop();
    InterruptStop(const InterruptStop&) = delete;
    InterruptStop& operator=(const InterruptStop&) = delete;

    std::stop_token token() const { return source_.get_token(); }

private:
    std::stop_source source_;
    int pipe_[2] = {-1, -1};
    std::jthread watcher_;
};

}  // namespace corvane::cli
