#include "cli/interrupt_stop.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <system_error>

namespace corvane::cli {

namespace {

// A signal handler may only write to a pipe; the watcher thread does the rest.
std::atomic<int> interruptPipe{-1};
struct sigaction previousAction {};

void onInterrupt(int) {
    const int savedErrno = errno;
    const int fd = interruptPipe.load();
    const char byte = 1;
    if (fd >= 0) [[maybe_unused]]
        auto ignored = write(fd, &byte, 1);
    errno = savedErrno;
}

}  // namespace

InterruptStop::InterruptStop() {
    if (pipe(pipe_) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
    fcntl(pipe_[1], F_SETFL, O_NONBLOCK);
    interruptPipe.store(pipe_[1]);
    watcher_ = std::jthread([readEnd = pipe_[0], source = source_]() mutable {
        char byte = 0;
        ssize_t got = 0;
        while ((got = read(readEnd, &byte, 1)) < 0 && errno == EINTR) {
        }
        // A byte is an interrupt; end of file is the destructor closing the pipe.
        if (got == 1) source.request_stop();
    });
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousAction);
}

InterruptStop::~InterruptStop() {
    sigaction(SIGINT, &previousAction, nullptr);
    interruptPipe.store(-1);
    close(pipe_[1]);
    watcher_.join();
    close(pipe_[0]);
}

}  // namespace corvane::cli
