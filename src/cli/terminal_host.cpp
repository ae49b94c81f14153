#include "cli/terminal_host.h"

#include <unistd.h>

#include <iostream>

#include "model/displayable_lines.h"
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

// The question names the application as its desktop entry does, which may
// hold anything.
bool TerminalHost::ask(const Question& question) {
    const std::string proceedButton = displayable(question.proceedButton);
    const std::string declineButton = displayable(question.declineButton);
    std::cout << displayable(question.messageText) << '\n'
              << displayable(question.informativeText) << '\n';
    if (answer_ != RestartAnswer::ask || !isatty(STDIN_FILENO)) {
        const bool proceed = answer_ == RestartAnswer::yes;
        std::cout << (proceed ? proceedButton : declineButton) << std::endl;
        return proceed;
    }
    std::cout << "1) " << proceedButton << "  2) " << declineButton << "  [1/2] " << std::flush;
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

void printFileText(std::string_view text) {
    std::cout << (isatty(STDOUT_FILENO) != 0 ? displayableLines(text) : std::string(text))
              << std::flush;
}

}  // namespace corvane::cli
