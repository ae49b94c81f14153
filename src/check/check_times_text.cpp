#include "check/check_times_text.h"

#include "model/messages.h"

namespace corvane {

namespace {

std::string shown(const std::optional<std::chrono::milliseconds>& time) {
    return time ? std::to_string(time->count()) + " ms" : "—";
}

}  // namespace

std::string checkTimesText(const ModelCheck& found) {
    return translated("check.times",
                      {{"first", shown(found.firstEvent)}, {"last", shown(found.terminalEvent)}});
}

}  // namespace corvane
