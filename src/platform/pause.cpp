#include "platform/pause.h"

#include <condition_variable>
#include <mutex>

#include "platform/platform_error.h"

namespace corvane {

void pause(std::chrono::milliseconds duration, std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any wakeup;
    std::unique_lock lock(mutex);
    // Returns true only when the stop was requested; a timeout returns false.
    if (wakeup.wait_for(lock, stop, duration, [] { return false; }) || stop.stop_requested()) {
        throw OperationCancelled();
    }
}

}  // namespace corvane
