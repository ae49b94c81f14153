#include "workflow/failure_report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <system_error>

#include "model/setup_error.h"
#include "support/catalogue_text.h"

namespace corvane {
namespace {

constexpr std::string_view kKey = "sk-report-7f3a";

nlohmann::json::parse_error parseErrorQuoting(const std::string& text) {
    try {
        [[maybe_unused]] const nlohmann::json value = nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& error) {
        return error;
    }
    throw std::logic_error("the text parsed");
}

TEST(FailureReport, KeepsTheSentenceAndTheReasonButNeverAKey) {
    const std::filesystem::filesystem_error denied(
        "read", "/home/u/.openclaw/openclaw.json",
        std::make_error_code(std::errc::permission_denied));
    ASSERT_NE(std::string(denied.what()).find("/home/u/.openclaw/openclaw.json"),
              std::string::npos);
    struct Case {
        std::string name;
        std::exception_ptr error;
        std::string message;
        std::string detail;
    };
    const Case cases[] = {
        {"own sentence and detail", std::make_exception_ptr(SetupError("句子。", "/a/b: denied")),
         "句子。", "/a/b: denied"},
        {"own sentence, no detail", std::make_exception_ptr(SetupError("句子。")), "句子。", ""},
        // Each standard library words this its own way (quotes or none).
        {"file system error keeps path and reason", std::make_exception_ptr(denied), "兜底。",
         denied.what()},
        {"key in an error text is taken out",
         std::make_exception_ptr(std::runtime_error("bad header: Bearer " + std::string(kKey))),
         "兜底。", "bad header: Bearer [key]"},
        {"parser does not quote the file",
         std::make_exception_ptr(parseErrorQuoting("{\"apiKey\": \"sk-other-secret")), "兜底。",
         testing::zh("workflow.failure.json-parse", {{"byte", "28"}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            std::rethrow_exception(c.error);
        } catch (const std::exception& error) {
            const FailureReport report = failureReport(error, "兜底。", kKey);
            EXPECT_EQ(report.message, c.message);
            EXPECT_EQ(report.detail, c.detail);
        }
    }
}

}  // namespace
}  // namespace corvane
