#pragma once

#include <functional>
#include <thread>

namespace corvane::cli {

// Turns Ctrl-C (SIGINT) and SIGTERM into a call of `onInterrupt` on a thread
// of its own, where stopping a workflow is safe (a signal handler could not).
// Create it before any other thread starts so every thread inherits the mask.
class InterruptWatcher {
public:
    explicit InterruptWatcher(std::function<void()> onInterrupt);
    ~InterruptWatcher();
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

private:
    std::jthread watcher_;
};

}  // namespace corvane::cli
