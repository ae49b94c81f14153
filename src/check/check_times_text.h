#pragma once

#include <string>

#include "check/check_gateway.h"

namespace corvane {

// The two times of a model's check as both front ends show them (check.times),
// with "—" for a time not reached.
std::string checkTimesText(const ModelCheck& found);

}  // namespace corvane
