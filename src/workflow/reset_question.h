#pragma once

#include <string>
#include <vector>

#include "model/client.h"

namespace corvane {

// What an answer to the reset confirmation does.
enum class ResetAction { resetAndRestart, resetWithoutRestart, cancel };

// How a front end presents an answer: a destructive one takes configuration
// out; the cancelling one is the default, so that Return or Escape never
// removes anything.
enum class ChoiceRole { destructive, cancel };

struct ResetChoice {
    std::string label;
    ChoiceRole role;
    ResetAction action;
};

// The reset confirmation as both front ends put it: its title, its message
// and its answers in the order they are offered.
struct ResetQuestion {
    std::string title;
    std::string message;
    std::vector<ResetChoice> choices;
};

// The confirmation for a client, by whether its application is installed (an
// installed one can be restarted). Clients that must restart for a change
// offer no reset without restart.
ResetQuestion resetQuestion(Client client, bool installed);

}  // namespace corvane
