#include "support/recording_host.h"

#include <gtest/gtest.h>

#include "support/test_keys.h"

namespace corvane::testing {
namespace {

void expectNoKey(const std::string& text) {
    for (const char* key : {kWorkflowKey, kSampleKey}) {
        EXPECT_EQ(text.find(key), std::string::npos) << "a key reached the user: " << text;
    }
}

}  // namespace

void RecordingHost::setStatus(const std::string& status) {
    expectNoKey(status);
    std::lock_guard lock(mutex_);
    statuses_.push_back(status);
}

void RecordingHost::setFailed(bool failed) {
    std::lock_guard lock(mutex_);
    failed_ = failed;
    if (!failed) detail_.clear();
}

void RecordingHost::fail(const std::string& message, const std::string& detail) {
    expectNoKey(message);
    expectNoKey(detail);
    std::lock_guard lock(mutex_);
    failed_ = true;
    detail_ = detail;
    statuses_.push_back(message);
}

void RecordingHost::setWorking(bool working) {
    std::lock_guard lock(mutex_);
    working_ = working;
}

void RecordingHost::clearKey() {
    std::lock_guard lock(mutex_);
    keyCleared_ = true;
}

void RecordingHost::resetForm() {
    std::lock_guard lock(mutex_);
    ++formResets_;
    statuses_.push_back("");
    failed_ = false;
    detail_.clear();
}

bool RecordingHost::ask(const Question& question) {
    std::lock_guard lock(mutex_);
    questions_.push_back(question);
    return answer_;
}

std::optional<std::string> RecordingHost::userDefault(const std::string& key) {
    std::lock_guard lock(mutex_);
    const auto found = defaults_.find(key);
    return found == defaults_.end() ? std::nullopt : std::optional(found->second);
}

void RecordingHost::setUserDefault(const std::string& key, const std::string& value) {
    std::lock_guard lock(mutex_);
    defaults_[key] = value;
}

void RecordingHost::removeUserDefault(const std::string& key) {
    std::lock_guard lock(mutex_);
    defaults_.erase(key);
}

void RecordingHost::answer(bool proceed) {
    std::lock_guard lock(mutex_);
    answer_ = proceed;
}

std::vector<std::string> RecordingHost::statuses() const {
    std::lock_guard lock(mutex_);
    return statuses_;
}

std::string RecordingHost::status() const {
    std::lock_guard lock(mutex_);
    return statuses_.empty() ? std::string() : statuses_.back();
}

bool RecordingHost::failed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}

std::string RecordingHost::detail() const {
    std::lock_guard lock(mutex_);
    return detail_;
}

bool RecordingHost::working() const {
    std::lock_guard lock(mutex_);
    return working_;
}

bool RecordingHost::keyCleared() const {
    std::lock_guard lock(mutex_);
    return keyCleared_;
}

int RecordingHost::formResets() const {
    std::lock_guard lock(mutex_);
    return formResets_;
}

std::vector<Question> RecordingHost::questions() const {
    std::lock_guard lock(mutex_);
    return questions_;
}

std::map<std::string, std::string> RecordingHost::defaults() const {
    std::lock_guard lock(mutex_);
    return defaults_;
}

}  // namespace corvane::testing
