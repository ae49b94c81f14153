#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace corvane {

// What a front end shows for a failed step: the sentence and its detail.
struct FailureReport {
    std::string message;
    std::string detail;
};

// A SetupError keeps its own sentence and detail; any other error gets
// `fallback` as its sentence and its own text as the detail. `secret` (the
// key of the run, possibly empty) is taken out of the detail wherever it
// appears, and parser errors lose the text they quote, since a configuration
// file may hold keys the run does not know.
FailureReport failureReport(const std::exception& error, std::string_view fallback,
                            std::string_view secret);

}  // namespace corvane
