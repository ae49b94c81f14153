#include "workflow/failure_report.h"

#include <nlohmann/json.hpp>

#include "model/messages.h"
#include "model/setup_error.h"

namespace corvane {
namespace {

constexpr std::string_view kHiddenSecret = "[key]";

std::string withoutSecret(std::string text, std::string_view secret) {
    if (secret.empty()) return text;
    for (std::size_t at = text.find(secret); at != std::string::npos;
         at = text.find(secret, at + kHiddenSecret.size())) {
        text.replace(at, secret.size(), kHiddenSecret);
    }
    return text;
}

std::string errorText(const std::exception& error) {
    // The parser's own text ends with the characters it last read.
    if (const auto* parse = dynamic_cast<const nlohmann::json::parse_error*>(&error)) {
        return translated("workflow.failure.json-parse", {{"byte", std::to_string(parse->byte)}});
    }
    return error.what();
}

}  // namespace

FailureReport failureReport(const std::exception& error, std::string_view fallback,
                            std::string_view secret) {
    FailureReport report;
    if (const auto* setup = dynamic_cast<const SetupError*>(&error)) {
        report.message = setup->text();
        report.detail = setup->detail();
    } else {
        report.message = fallback;
        report.detail = errorText(error);
    }
    report.detail = withoutSecret(std::move(report.detail), secret);
    return report;
}

}  // namespace corvane
