#pragma once

#include <string>

#include "check/check_gateway.h"

namespace corvane {

// The two times of a model's check as both front ends show them:
// "首个事件 12 ms，完成 15 ms", with "—" for a time not reached.
std::string checkTimesText(const ModelCheck& found);

}  // namespace corvane
