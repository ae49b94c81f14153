#include "files/json_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace corvane {
namespace {

using nlohmann::json;

TEST(JsonText, PrettySortedWithPlainSlashesAndUtf8) {
    const json value = {{"zeta", "https://gateway.example/v1"},
                        {"Alpha", {{"b", 1}, {"a", json::array({1.5, nullptr, true})}}},
                        {"名前", "模型 «x»"}};
    EXPECT_EQ(prettyJSON(value),
              "{\n"
              "  \"Alpha\": {\n"
              "    \"a\": [\n"
              "      1.5,\n"
              "      null,\n"
              "      true\n"
              "    ],\n"
              "    \"b\": 1\n"
              "  },\n"
              "  \"zeta\": \"https://gateway.example/v1\",\n"
              "  \"名前\": \"模型 «x»\"\n"
              "}");
    EXPECT_EQ(prettyJSON(json::array()), "[]");
    EXPECT_EQ(prettyJSON("a\"b\\c\n\x01"), R"("a\"b\\c\n\u0001")");
}

TEST(JsonText, EscapedSlashVariants) {
    const json value = {{"url/key", "https://a/b"}, {"n", 1}};
    EXPECT_EQ(compactJSONEscapingSlashes(value), R"({"n":1,"url\/key":"https:\/\/a\/b"})");
    EXPECT_EQ(prettyJSONEscapingSlashes(value),
              "{\n  \"n\": 1,\n  \"url\\/key\": \"https:\\/\\/a\\/b\"\n}");
    // A backslash before a slash stays a backslash of its own.
    EXPECT_EQ(compactJSONEscapingSlashes("\\/"), R"("\\\/")");
    EXPECT_EQ(json::parse(compactJSONEscapingSlashes(value)), value);
}

TEST(JsonText, NonFiniteNumbersAreRefusedAnywhere) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    for (const json& value : {json(nan), json(infinity), json::array({1, json::array({-infinity})}),
                              json{{"a", {{"b", nan}}}}}) {
        EXPECT_THROW(prettyJSON(value), JsonWriteError) << value.dump();
        EXPECT_THROW(prettyJSONEscapingSlashes(value), JsonWriteError);
        EXPECT_THROW(compactJSONEscapingSlashes(value), JsonWriteError);
    }
    EXPECT_EQ(prettyJSON(json{{"max", std::numeric_limits<double>::max()}}),
              "{\n  \"max\": 1.7976931348623157e+308\n}");
}

}  // namespace
}  // namespace corvane
