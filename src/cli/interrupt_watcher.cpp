#include "cli/interrupt_watcher.h"

#include <pthread.h>
#include <signal.h>

#include <ctime>

namespace corvane::cli {
namespace {

sigset_t interruptSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

}  // namespace

InterruptWatcher::InterruptWatcher(std::function<void()> onInterrupt) {
    const sigset_t signals = interruptSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    watcher_ = std::jthread([signals, onInterrupt = std::move(onInterrupt)](std::stop_token stop) {
        const timespec tick{0, 100'000'000};
        bool interrupted = false;
        while (!stop.stop_requested()) {
            if (sigtimedwait(&signals, nullptr, &tick) > 0 && !interrupted) {
                interrupted = true;
                onInterrupt();
            }
        }
    });
}

InterruptWatcher::~InterruptWatcher() {
    watcher_.request_stop();
    watcher_.join();
    const sigset_t signals = interruptSignals();
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
}

}  // namespace corvane::cli
