#pragma once

#include <iostream>
#include <mutex>
#include <string>
#include <string_view>

#include "defaults/user_defaults.h"
#include "workflow/workflow_host.h"

namespace corvane::cli {

// How the command line answers the restart question.
enum class RestartAnswer { ask, yes, no };

// The command line's front end for a workflow: every status on its own line as
// it changes, a failure's detail on standard error after its sentence,
// questions on the terminal.
class TerminalHost : public WorkflowHost {
public:
    // Statuses go to `statuses` (failures always to standard error).
    explicit TerminalHost(RestartAnswer answer, std::ostream& statuses = std::cout)
        : answer_(answer), statuses_(statuses) {}

    void setStatus(const std::string& status) override;
    void setFailed(bool failed) override;
    void fail(const std::string& message, const std::string& detail) override;
    void setWorking(bool working) override;
    void clearKey() override {}
    void resetForm() override {}
    bool ask(const Question& question) override;
    std::optional<std::string> userDefault(const std::string& key) override;
    void setUserDefault(const std::string& key, const std::string& value) override;
    void removeUserDefault(const std::string& key) override;

    bool failed() const;

private:
    RestartAnswer answer_;
    std::ostream& statuses_;
    UserDefaults defaults_;
    mutable std::mutex mutex_;
    std::string status_;
    bool failed_ = false;
};

// Text meant for another program on standard output, alone there: a dry
// run's diff for patch, an exported profile for the system. A terminal gets it
// escaped line by line, so that a value in it cannot act on the terminal.
void printFileText(std::string_view text);

}  // namespace corvane::cli
