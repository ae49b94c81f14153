#pragma once

#include <string>

#include "support/catalogue_text.h"
#include "workflow/workflow_host.h"

namespace corvane::testing {

// The question the workflow asks before it restarts `application` after a
// change that is already saved, as the Chinese catalogue words it.
inline Question restartNowQuestion(const std::string& application) {
    return {zh("workflow.restart.question.now-title", {{"application", application}}),
            zh("workflow.restart.question.text"), zh("workflow.restart.question.restart-now"),
            zh("workflow.restart.question.restart-later")};
}

}  // namespace corvane::testing
