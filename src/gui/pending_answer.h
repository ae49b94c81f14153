#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>

namespace corvane {

// The answer to a question asked from the worker thread: the worker waits, the
// window's thread gives it once.
class PendingAnswer {
public:
    // The first answer counts; later ones are ignored.
    void give(bool answer);
    bool wait();

private:
    std::mutex mutex_;
    std::condition_variable answered_;
    std::optional<bool> answer_;
};

}  // namespace corvane
