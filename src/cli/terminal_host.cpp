#include "cli/terminal_host.h"

#include <unistd.h>

#include <iostream>

#include "model/text.h"

namespace corvane::cli {

void TerminalHost::setStatus(const std::string& status) {
    std::lock_guard lock(mutex_);
    if (status == status_) return;
    status_ = status;
    if (status.empty()) return;
    // Scripts read results from standard output and problems from standard error.
    (failed_ ? std::cerr : statuses_) << displayable(status) << std::endl;
}

void TerminalHost::setFailed(bool failed) {
    std::lock_guard lock(mutex_);
    failed_ = failed;
}

void TerminalHost::fail(const std::string& message, const std::string& detail) {
    setFailed(true);
    setStatus(message);
    if (!detail.empty()) std::cerr << displayable(detail) << std::endl;
}

void TerminalHost::setWorking(bool) {}

bool TerminalHost::failed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}

bool TerminalHost::ask(const Question& question) {
    std::cout << question.messageText << '\n' << question.informativeText << '\n';
    if (answer_ != RestartAnswer::ask || !isatty(STDIN_FILENO)) {
        const bool proceed = answer_ == RestartAnswer::yes;
        std::cout << (proceed ? question.proceedButton : question.declineButton) << std::endl;
        return proceed;
    }
    std::cout << "1) " << question.proceedButton << "  2) " << question.declineButton << "  [1/2] "
              << std::flush;
    std::string line;
    return std::getline(std::cin, line) && line == "1";
}

std::optional<std::string> TerminalHost::userDefault(const std::string& key) {
    return defaults_.value(key);
}

void TerminalHost::setUserDefault(const std::string& key, const std::string& value) {
    defaults_.setValue(key, value);
}

void TerminalHost::removeUserDefault(const std::string& key) { defaults_.remove(key); }

}  // namespace corvane::cli
