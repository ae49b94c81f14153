#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "workflow/workflow_host.h"

namespace corvane::testing {

// A workflow host that records every call, answers questions from a script
// and keeps user defaults in memory; safe to call from a worker thread. Every
// status and failure detail is checked for the tests' keys, so that each
// failure test of the suite also proves that no key reaches the user.
class RecordingHost : public WorkflowHost {
public:
    void setStatus(const std::string& status) override;
    void setFailed(bool failed) override;
    void fail(const std::string& message, const std::string& detail) override;
    void setWorking(bool working) override;
    void clearKey() override;
    void resetForm() override;
    bool ask(const Question& question) override;
    std::optional<std::string> userDefault(const std::string& key) override;
    void setUserDefault(const std::string& key, const std::string& value) override;
    void removeUserDefault(const std::string& key) override;

    // The answer to every question (true: the first button).
    void answer(bool proceed);

    std::vector<std::string> statuses() const;
    std::string status() const;
    bool failed() const;
    // The detail of the last failure; empty after setFailed(false).
    std::string detail() const;
    bool working() const;
    bool keyCleared() const;
    int formResets() const;
    std::vector<Question> questions() const;
    std::map<std::string, std::string> defaults() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> statuses_;
    bool failed_ = false;
    std::string detail_;
    bool working_ = false;
    bool keyCleared_ = false;
    int formResets_ = 0;
    bool answer_ = true;
    std::vector<Question> questions_;
    std::map<std::string, std::string> defaults_;
};

}  // namespace corvane::testing
