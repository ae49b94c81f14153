#include "check/check_times_text.h"

namespace corvane {

namespace {

std::string shown(const std::optional<std::chrono::milliseconds>& time) {
    return time ? std::to_string(time->count()) + " ms" : "—";
}

}  // namespace

std::string checkTimesText(const ModelCheck& found) {
    return "首个事件 " + shown(found.firstEvent) + "，完成 " + shown(found.terminalEvent);
}

}  // namespace corvane
