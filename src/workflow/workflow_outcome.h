#pragma once

namespace corvane {

// How a workflow run ended, for front ends that report it as a status code.
enum class WorkflowOutcome {
    succeeded,
    // The user declined a restart that had to come before any write; nothing
    // was written.
    declined,
    failed,
    // The user stopped the run; the status says what stands.
    stopped,
};

}  // namespace corvane
