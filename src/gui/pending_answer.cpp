#include "gui/pending_answer.h"

namespace corvane {

void PendingAnswer::give(bool answer) {
    {
        std::lock_guard lock(mutex_);
        if (answer_) return;
        answer_ = answer;
    }
    answered_.notify_all();
}

bool PendingAnswer::wait() {
    std::unique_lock lock(mutex_);
    answered_.wait(lock, [this] { return answer_.has_value(); });
    return *answer_;
}

}  // namespace corvane
