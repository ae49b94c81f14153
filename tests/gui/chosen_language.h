#pragma once

#include "model/messages.h"

namespace corvane::testing {

// Looks sentences up in `language` while it lives; the tests' Chinese comes
// back after it. Widgets read their texts when built: build them after this.
class ChosenLanguage {
public:
    explicit ChosenLanguage(Language language) : before_(chosenLanguage()) {
        chooseLanguage(language);
    }
    ~ChosenLanguage() { chooseLanguage(before_); }
    ChosenLanguage(const ChosenLanguage&) = delete;
    ChosenLanguage& operator=(const ChosenLanguage&) = delete;

private:
    Language before_;
};

}  // namespace corvane::testing
