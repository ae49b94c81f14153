#pragma once

#include <string_view>

#include "model/client.h"

namespace corvane {

// The verdict on one line of a streamed answer.
enum class StreamSignal { reading, completed, failed };

// Judges one line (without its line break) of a server-sent-event stream in the
// client's protocol. Pure; malformed input is `reading`.
StreamSignal streamSignal(std::string_view line, Client client);

}  // namespace corvane
