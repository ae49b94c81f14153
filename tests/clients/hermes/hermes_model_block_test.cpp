#include "clients/hermes/hermes_model_block.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using Strings = std::map<std::string, std::string>;

TEST(YamlModelStrings, ReadsOneLineScalarsOfTheModelEntry) {
    const struct {
        const char* name;
        std::string text;
        Strings expected;
    } cases[] = {
        {"what the tool writes",
         "model:\n  base_url: \"https://gw.example/v1\"\n  default: \"m\\u00e9\"\n",
         {{"base_url", "https://gw.example/v1"}, {"default", "mé"}}},
        {"plain, single-quoted and commented",
         "# top\r\nmodel:\r\n    default: local  # mine\r\n    provider: 'it''s'\r\nother: 1\r\n",
         {{"default", "local"}, {"provider", "it's"}}},
        {"wrapped, nested and null fields left out",
         "model:\n  default: a\n    b\n  extra:\n    x: 1\n  provider: ~\n  base_url: "
         "\"https://x\"\n",
         {{"base_url", "https://x"}}},
        {"a flow mapping is not read", "model: {default: a}\n", {}},
        {"no model", "terminal:\n  backend: local\n", {}},
        {"not plain YAML", "- a\n- b\n", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(yamlModelStrings(c.text), c.expected) << c.name;
}

}  // namespace
}  // namespace corvane
