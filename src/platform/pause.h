#pragma once

#include <chrono>
#include <stop_token>

namespace corvane {

// Waits for the given time. Ends early with OperationCancelled when a stop is
// requested on the token (also when it was requested before the call).
void pause(std::chrono::milliseconds duration, std::stop_token stop);

}  // namespace corvane
