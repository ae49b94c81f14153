#include "cli/interrupt_watcher.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <stop_token>
#include <system_error>

namespace corvane::cli {
namespace {

constexpr std::array kWatchedSignals{SIGINT, SIGTERM};

// The signal handler's only way to the watching thread; a lock-free atomic is
// safe to read inside a handler.
std::atomic<int> signalPipeInput{-1};

void noteSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a wake-up, so a failed write loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(signalPipeInput.load(), &byte, 1);
    errno = savedErrno;
}

sigset_t watchedSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : kWatchedSignals) sigaddset(&signals, signal);
    return signals;
}

// pipe2 does not exist on macOS; nothing forks while the watcher is created,
// so setting the flags afterwards is safe.
void openPipe(int (&ends)[2]) {
    if (::pipe(ends) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
    for (int end : ends) {
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
    }
}

void closePipe(int (&ends)[2]) {
    for (int& end : ends) {
        if (end >= 0) ::close(end);
        end = -1;
    }
}

// Blocks until a signal arrives or a stop is requested; true for a signal.
bool waitForSignal(int signalInput, int wakeInput) {
    std::array<pollfd, 2> watched{pollfd{signalInput, POLLIN, 0}, pollfd{wakeInput, POLLIN, 0}};
    while (true) {
        const int ready = ::poll(watched.data(), watched.size(), -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || watched[1].revents != 0) return false;
        if (watched[0].revents != 0) {
            char drained[16];
            while (::read(signalInput, drained, sizeof drained) > 0) {
            }
            return true;
        }
    }
}

}  // namespace

InterruptWatcher::InterruptWatcher(std::function<void()> onInterrupt) {
    const sigset_t signals = watchedSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    openPipe(signalPipe_);
    openPipe(wakePipe_);
    signalPipeInput.store(signalPipe_[1]);

    struct sigaction action {};
    action.sa_handler = noteSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kWatchedSignals.size(); ++i) {
        ::sigaction(kWatchedSignals[i], &action, &previousActions_[i]);
    }

    watcher_ = std::jthread([signals, signalInput = signalPipe_[0], wakeInput = wakePipe_[0],
                             wakeOutput = wakePipe_[1],
                             onInterrupt = std::move(onInterrupt)](std::stop_token stop) {
        const std::stop_callback wake(stop, [wakeOutput] {
            const char byte = 1;
            [[maybe_unused]] const ssize_t written = ::write(wakeOutput, &byte, 1);
        });
        // Only this thread takes the two signals, so no other thread's system
        // call is ever interrupted by them.
        pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
        bool interrupted = false;
        while (waitForSignal(signalInput, wakeInput)) {
            // A second Ctrl-C while the workflow winds down changes nothing.
            if (!interrupted) onInterrupt();
            interrupted = true;
        }
    });
}

InterruptWatcher::~InterruptWatcher() {
    watcher_.request_stop();
    watcher_.join();
    for (std::size_t i = 0; i < kWatchedSignals.size(); ++i) {
        ::sigaction(kWatchedSignals[i], &previousActions_[i], nullptr);
    }
    signalPipeInput.store(-1);
    closePipe(signalPipe_);
    closePipe(wakePipe_);
    const sigset_t signals = watchedSignals();
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
}

}  // namespace corvane::cli
