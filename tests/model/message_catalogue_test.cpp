#include "model/message_catalogue.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <stdexcept>

#include "model/compiled_catalogues.h"
#include "model/language.h"
#include "model/messages.h"

namespace corvane {
namespace {

TEST(PluralRule, PicksTheFormGettextWould) {
    struct Case {
        const char* header;
        unsigned long n;
        unsigned long form;
    };
    const Case cases[] = {
        {"", 5, 0},
        {"Plural-Forms: nplurals=1; plural=0;\n", 1, 0},
        {"Plural-Forms: nplurals=2; plural=(n != 1);\n", 1, 0},
        {"Plural-Forms: nplurals=2; plural=(n != 1);\n", 0, 1},
        {"Plural-Forms: nplurals=2; plural=n>1;\n", 1, 0},
        {"Plural-Forms: nplurals=2; plural=n>1;\n", 2, 1},
        // Russian: precedence of && over ||, % before ==, nested ?:.
        {"Plural-Forms: nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && "
         "(n%100<10 || n%100>=20) ? 1 : 2);\n",
         21, 0},
        {"Plural-Forms: nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && "
         "(n%100<10 || n%100>=20) ? 1 : 2);\n",
         23, 1},
        {"Plural-Forms: nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && "
         "(n%100<10 || n%100>=20) ? 1 : 2);\n",
         12, 2},
        {"Plural-Forms: nplurals=2; plural=!(n-1);\n", 1, 1},
        // A formula naming a form the catalogue lacks falls back to the first.
        {"Plural-Forms: nplurals=2; plural=n;\n", 7, 0},
        {"Plural-Forms: nplurals=2; plural=n/0;\n", 7, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PluralRule::fromHeader(c.header).formFor(c.n), c.form)
            << c.header << " n=" << c.n;
    }
    for (const char* broken :
         {"Plural-Forms: nplurals=2;\n", "Plural-Forms: nplurals=2; plural=(n;\n",
          "Plural-Forms: nplurals=2; plural=n ? 1;\n", "Plural-Forms: nplurals=0; plural=0;\n",
          "Plural-Forms: nplurals=2; plural=x;\n"}) {
        EXPECT_THROW(PluralRule::fromHeader(broken), std::invalid_argument) << broken;
    }
}

TEST(MessageCatalogue, RefusesBytesThatAreNoCatalogue) {
    const std::span<const unsigned char> real = compiledCatalogue(Language::chinese);
    std::vector<unsigned char> wrongMagic(real.begin(), real.end());
    wrongMagic[0] ^= 0xff;
    std::vector<unsigned char> cut(real.begin(), real.begin() + 40);
    std::vector<unsigned char> offsetPastEnd(real.begin(), real.end());
    // The first original's offset (table at word 3, entry = length, offset).
    const std::size_t table = real[12] | real[13] << 8 | real[14] << 16 | real[15] << 24;
    offsetPastEnd[table + 4] = offsetPastEnd[table + 5] = 0xff;
    offsetPastEnd[table + 6] = offsetPastEnd[table + 7] = 0x7f;
    for (const auto* bytes : {&wrongMagic, &cut, &offsetPastEnd}) {
        EXPECT_THROW(MessageCatalogue::read(*bytes), std::invalid_argument);
    }
    EXPECT_THROW(MessageCatalogue::read({}), std::invalid_argument);
}

std::multiset<std::string> placeholdersOf(const std::string& text) {
    static const std::regex kPlaceholder(R"(\{[a-zA-Z]+\})");
    std::multiset<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), kPlaceholder);
         it != std::sregex_iterator(); ++it) {
        found.insert(it->str());
    }
    return found;
}

TEST(MessageCatalogue, BothLanguagesHoldEveryIdWithTheSamePlaceholders) {
    const std::vector<std::string_view> chinese = catalogueIds(Language::chinese);
    ASSERT_FALSE(chinese.empty());
    EXPECT_EQ(chinese, catalogueIds(Language::english));
    for (std::string_view id : chinese) {
        const std::string zh = translatedIn(Language::chinese, id);
        const std::string en = translatedIn(Language::english, id);
        EXPECT_FALSE(zh.empty() || zh == id) << id;
        EXPECT_FALSE(en.empty() || en == id) << id;
        EXPECT_EQ(placeholdersOf(zh), placeholdersOf(en)) << id;
    }
}

TEST(Messages, FillInPlaceholdersOnceAndLeaveForeignBracesAlone) {
    // A value that itself holds "{client}" is not filled in again.
    EXPECT_EQ(
        translatedIn(Language::english, "model.form.one-model-only", {{"client", "{client}"}}),
        "{client} takes only one model.");
    EXPECT_EQ(translatedIn(Language::chinese, "model.form.one-model-only", {{"client", "Hermes"}}),
              "Hermes 只能配置一个模型。");
    EXPECT_EQ(translatedIn(Language::english, "model.form.one-model-only"),
              "{client} takes only one model.");
    EXPECT_EQ(translatedIn(Language::english, "no.such.id"), "no.such.id");
    chooseLanguage(Language::english);
    EXPECT_EQ(translated("model.client.name.openClaw"), "OpenClaw");
    chooseLanguage(Language::chinese);
    EXPECT_EQ(translated("model.client.name.openClaw"), "OpenClaw（小龙虾）");
}

TEST(Language, FollowsTheFirstOfEnglishOrChineseInThePreferences) {
    struct Case {
        std::vector<std::string> preferred;
        Language expected;
    };
    const Case cases[] = {
        {{}, Language::chinese},
        {{"en-US"}, Language::english},
        {{"en_GB.UTF-8"}, Language::english},
        {{"EN"}, Language::english},
        {{"zh-Hans-CN", "en-US"}, Language::chinese},
        {{"fr-FR", "en-US", "zh-Hans"}, Language::english},
        {{"fr-FR", "de"}, Language::chinese},
        {{"eng"}, Language::chinese},
        {{"C.UTF-8"}, Language::chinese},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(languageFromPreferences(c.preferred), c.expected)
            << (c.preferred.empty() ? "" : c.preferred.front());
    }
    EXPECT_EQ(languageNamed("en"), Language::english);
    EXPECT_EQ(startLanguage(std::string("en"), {"zh-Hans"}), Language::english);
    // A language the program does not speak leaves the preferences in charge.
    EXPECT_EQ(startLanguage(std::string("fr"), {"en-US"}), Language::english);
    EXPECT_EQ(startLanguage(std::nullopt, {"zh-Hans", "en"}), Language::chinese);
    EXPECT_EQ(languageNamed("zh"), Language::chinese);
    EXPECT_EQ(languageNamed("english"), std::nullopt);
}

TEST(Language, IsReadFromTheArgumentsBeforeAnythingElseParsesThem) {
    struct Case {
        std::vector<std::string> arguments;
        std::optional<std::string> named;
        std::vector<std::string> rest;
    };
    const Case cases[] = {
        {{}, std::nullopt, {}},
        {{"--lang", "en", "corvane-setup://configure?x"}, "en", {"corvane-setup://configure?x"}},
        {{"check", "--lang=zh", "--json"}, "zh", {"check", "--json"}},
        {{"--lang"}, std::nullopt, {}},
        {{"--language=en", "x"}, std::nullopt, {"--language=en", "x"}},
        // After "--" everything is an operand, even a link that looks like the flag.
        {{"--", "--lang", "en"}, std::nullopt, {"--", "--lang", "en"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(languageArgument(c.arguments), c.named);
        EXPECT_EQ(withoutLanguageArgument(c.arguments), c.rest);
    }
}

}  // namespace
}  // namespace corvane
