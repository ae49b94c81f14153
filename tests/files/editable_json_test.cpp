#include "files/editable_json.h"

#include <gtest/gtest.h>

#include <cmath>

#include "files/json5.h"
#include "files/json_text.h"

namespace corvane {
namespace {

using nlohmann::json;

struct EditCase {
    std::string name;
    std::string text;
    json intended;
    std::string expected;
    bool reversible = true;  // editing back toward the first value gives the first text
};

// Each case edits a hand-written text toward a value; the expected text shows
// which bytes change.
TEST(EditableJson, ChangesOnlyWhatDiffersInTheFilesOwnStyle) {
    const std::vector<EditCase> cases{
        {"replace a value, keep comments and spellings",
         "{\n  // note\n  a: 0x1F, 'b': 'x', c: 1e2, // tail\n}\n",
         {{"a", 31}, {"b", "y"}, {"c", 100}},
         "{\n  // note\n  a: 0x1F, 'b': \"y\", c: 1e2, // tail\n}\n",
         false},
        {"append after a member with a line comment",
         "{\n    \"a\": 12345678901234567890 // big\n}\n",
         {{"a", 12345678901234567890ULL}, {"n", {{"k", true}}}},
         "{\n    \"a\": 12345678901234567890, // big\n    \"n\": {\n        \"k\": true\n    "
         "}\n}\n"},
        {"trailing comma style kept, CRLF",
         "{\r\n\t\"a\": 1,\r\n}\r\n",
         {{"a", 1}, {"b", 2}},
         "{\r\n\t\"a\": 1,\r\n\t\"b\": 2,\r\n}\r\n"},
        {"one-line object stays on one line",
         "{\"o\": { \"x\": -0 }}",
         {{"o", {{"x", 0}, {"y", "/"}}}},
         "{\"o\": { \"x\": -0, \"y\": \"/\" }}"},
        {"empty object opens onto lines",
         "\xEF\xBB\xBF{\n  \"p\": {}\n}",
         {{"p", {{"k", 1}}}},
         "\xEF\xBB\xBF{\n  \"p\": {\n    \"k\": 1\n  }\n}"},
        {"missing objects are created",
         "{}",
         {{"a", {{"b", {{"c", 1}}}}}},
         "{\n  \"a\": {\n    \"b\": {\n      \"c\": 1\n    }\n  }\n}"},
        {"middle member removed with its line", "[\n  {id: 1},\n  {id: 2},\n  {id: 3}\n]",
         json::array({{{"id", 1}}, {{"id", 3}}, {{"id", 4}}}),
         "[\n  {id: 1},\n  {id: 3},\n  {\n    \"id\": 4\n  }\n]", false},
        {"value of another type replaced",
         "{ m: 'x', n: 1 }",
         {{"m", {{"primary", "y"}}}, {"n", 1}},
         "{ m: {\"primary\": \"y\"}, n: 1 }",
         false},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes edited = EditableJson(c.text).textHolding(c.intended);
        EXPECT_EQ(edited, c.expected);
        if (c.reversible) {
            EXPECT_EQ(EditableJson(edited).textHolding(parseJson5(c.text)), c.text);
        }
    }
}

TEST(EditableJson, PutsBackAnEarlierValueAsItWasWritten) {
    const EditableJson earlier("{\n  model: 'a/b', // mine\n  x: 1\n}\n");
    const EditableJson current("{\n  model: {\"primary\": \"c\"}, // mine\n  x: 1\n}\n");
    EXPECT_EQ(current.textHolding(earlier.value(), &earlier), earlier.text());
}

TEST(EditableJson, NeverReturnsTextThatReadsBackDifferently) {
    // A number JSON cannot hold cannot be written; the file stays as it was.
    EXPECT_THROW(EditableJson("{}").textHolding({{"n", std::nan("")}}), JsonWriteError);
    // NaN already in the file is not a change.
    EXPECT_EQ(EditableJson("{n: NaN}").textHolding({{"n", std::nan("")}, {"k", 1}}),
              "{n: NaN, \"k\": 1}");
}

}  // namespace
}  // namespace corvane
