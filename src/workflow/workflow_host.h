#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "check/check_gateway.h"
#include "check/gateway_models.h"
#include "workflow/workflow_outcome.h"

namespace corvane {

// A yes/no question put to the user: the first button answers yes.
struct Question {
    std::string messageText;
    std::string informativeText;
    std::string proceedButton;
    std::string declineButton;
};

// How a workflow speaks to its front end. A workflow runs on one worker thread
// and changes the front end's state only through these calls; the window
// forwards each to its own thread, the command line prints and reads the
// terminal, tests record them.
class WorkflowHost {
public:
    virtual ~WorkflowHost() = default;

    virtual void setStatus(const std::string& status) = 0;
    virtual void setFailed(bool failed) = 0;

    // A run ended in failure: `message` becomes the status line, flagged as
    // failed; `detail` (the path and the system's reason, possibly empty) is
    // shown beside it for those who ask. The next setFailed(false) clears it.
    virtual void fail(const std::string& message, const std::string& detail) = 0;
    virtual void setWorking(bool working) = 0;

    // Empties the API key field after a successful run.
    virtual void clearKey() = 0;

    // Returns the form to its blank state for the current client.
    virtual void resetForm() = 0;

    // Blocks until the user answers; true for the first button.
    virtual bool ask(const Question& question) = 0;

    // The user defaults store (one string per key).
    virtual std::optional<std::string> userDefault(const std::string& key) = 0;
    virtual void setUserDefault(const std::string& key, const std::string& value) = 0;
    virtual void removeUserDefault(const std::string& key) = 0;

    // The two gateway probes' results; a front end without those buttons
    // never starts them and keeps these as they are.
    // The models the gateway lists, for the user to choose from.
    virtual void showGatewayModels(const std::vector<GatewayModel>& /*models*/) {}
    // What the connection test found for the model of the form's row `row`.
    virtual void showModelCheck(std::size_t /*row*/, const ModelCheck& /*found*/) {}
    // A run has ended (after its last status); a front end may mark success.
    virtual void finished(WorkflowOutcome /*outcome*/) {}
    // The diff of a dry run of the main button ("preview changes"), the key redacted;
    // empty when nothing would change.
    virtual void showPreview(const std::string& /*diff*/) {}
};

}  // namespace corvane
