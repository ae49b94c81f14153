#pragma once

#include <signal.h>

#include <array>
#include <functional>
#include <thread>

namespace corvane::cli {

// Turns Ctrl-C (SIGINT) and SIGTERM into a call of `onInterrupt` on a thread
// of its own, where stopping a workflow is safe (a signal handler could not).
// Create it before any other thread starts so every thread inherits the mask
// that leaves the two signals to the watching thread. Ending it wakes that
// thread at once, so a command does not wait at exit.
class InterruptWatcher {
public:
    explicit InterruptWatcher(std::function<void()> onInterrupt);
    ~InterruptWatcher();
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

private:
    std::array<struct sigaction, 2> previousActions_{};
    int signalPipe_[2] = {-1, -1};
    int wakePipe_[2] = {-1, -1};
    std::jthread watcher_;
};

}  // namespace corvane::cli
