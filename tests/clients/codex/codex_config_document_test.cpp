#include "clients/codex/codex_config_document.h"

#include <gtest/gtest.h>
#include <toml++/toml.h>

#include <random>

#include "support/temp_home.h"

namespace corvane {
namespace {

using Entries = std::vector<std::string>;
using testing::readFile;
using testing::TempHome;

const std::filesystem::path kCorpus = std::filesystem::path(CORVANE_TEST_DATA_DIR) / "codex";

std::vector<std::filesystem::path> corpusFiles() {
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::directory_iterator(kCorpus)) {
        files.push_back(item.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool isBroken(const std::filesystem::path& file) {
    return file.filename().string().starts_with("broken-");
}

TEST(CodexConfigDocument, CutsTextIntoLogicalLines) {
    const struct {
        std::string text;
        Entries root;
        std::vector<Entries> sections;
    } cases[] = {
        {"a = 1\n[t]\nb = 2\n", {"a = 1"}, {{"[t]", "b = 2", ""}}},
        {"x = [\n  1,\n  2,\n]\ny = 3", {"x = [\n  1,\n  2,\n]", "y = 3"}, {}},
        {"s = \"\"\"\n[not a header\n\"\"\"", {"s = \"\"\"\n[not a header\n\"\"\""}, {}},
        {"s = '''\n[x]\n'''\n[y]", {"s = '''\n[x]\n'''"}, {{"[y]"}}},
        {"s = \"a [ b\"\nt = 1", {"s = \"a [ b\"", "t = 1"}, {}},
        {"s = 'a \\ b' # [\nt = 1", {"s = 'a \\ b' # [", "t = 1"}, {}},
        {"x = 1 # [\ny = 2", {"x = 1 # [", "y = 2"}, {}},
        {"[a\nb = 1\n[c]", {"[a\nb = 1\n[c]"}, {}},
        {"] = 1\ny = 2", {"] = 1", "y = 2"}, {}},
        // An escaped delimiter does not close a basic string, in either kind.
        {"s = \"a \\\" [\"\nt = 1", {"s = \"a \\\" [\"", "t = 1"}, {}},
        {"s = \"\"\"\\\"\"\"\n[x]\n\"\"\"", {"s = \"\"\"\\\"\"\"\n[x]\n\"\"\""}, {}},
        // A closing run of more than three delimiters ends the string.
        {"s = \"\"\"a\"\"\"\"\"\n[t]", {"s = \"\"\"a\"\"\"\"\""}, {{"[t]"}}},
        {"s = '''\n'' [\n'''''\n[t]", {"s = '''\n'' [\n'''''"}, {{"[t]"}}},
        // An escape passes over a whole character, never half of one.
        {"s = \"\\é[\"\nt = 1", {"s = \"\\é[\"", "t = 1"}, {}},
        {"[[a]]\n[ b ] # c\n[\"d.e\"]", {}, {{"[[a]]"}, {"[ b ] # c"}, {"[\"d.e\"]"}}},
        {"[t]\r\nk = 1\r\n", {}, {{"[t]\r", "k = 1\r", ""}}},
        {"[t]\nx = [\n", {}, {{"[t]", "x = [\n"}}},
        // A header still open at the end of the text is never a section.
        {"[a", {"[a"}, {}},
        {"", {""}, {}},
        {"\n", {"", ""}, {}},
    };
    for (const auto& c : cases) {
        const CodexConfigDocument document(c.text);
        EXPECT_EQ(document.root, c.root) << c.text;
        EXPECT_EQ(document.sections, c.sections) << c.text;
        EXPECT_EQ(document.rendered(), c.text);
    }
}

TEST(CodexConfigDocument, CorpusRendersBackByteForByte) {
    const auto files = corpusFiles();
    ASSERT_GE(files.size(), 8u);
    for (const auto& file : files) {
        const std::string text = readFile(file);
        const CodexConfigDocument document(text);
        EXPECT_EQ(document.rendered(), text) << file;
        for (const auto& section : document.sections) {
            EXPECT_TRUE(section.front().find_first_not_of(" \t") != std::string::npos &&
                        section.front()[section.front().find_first_not_of(" \t")] == '[')
                << file << ": " << section.front();
        }
    }
}

// In a valid file every logical line is valid TOML on its own, so an entry cut
// too early or too late shows up as a parse error.
TEST(CodexConfigDocument, EveryEntryOfAValidFileParsesAlone) {
    for (const auto& file : corpusFiles()) {
        if (isBroken(file)) continue;
        const std::string text = readFile(file);
        ASSERT_NO_THROW((void)toml::parse(text)) << file;
        const CodexConfigDocument document(text);
        std::vector<std::string> entries = document.root;
        for (const auto& section : document.sections) {
            entries.insert(entries.end(), section.begin(), section.end());
        }
        for (const auto& entry : entries) {
            EXPECT_NO_THROW((void)toml::parse(entry + "\n")) << file << ": «" << entry << "»";
        }
    }
}

struct Fragment {
    std::string text;  // "{k}" stands for a fresh key
    bool header = false;
    bool broken = false;
    bool opens = false;  // leaves a string or bracket open at the end of the text
};

const Fragment kFragments[] = {
    {"{k} = 1"},
    {"{k} = \"a [ b # c\"  # comment ["},
    {"{k} = 'x \\ y' # {"},
    {"{k} = [\n  1,\n  2, # ]\n]"},
    {"{k} = { a = [1, 2], b = \"}\" }"},
    {"{k} = [\n  { a = 1 },\n  { b = \"]\" },\n]"},
    {"{k} = \"\"\"\nline [\n# x\n'''\n\"\"\""},
    {"{k} = '''\n{ \\ ]\n\"\"\"\n'''"},
    {"{k} = \"\"\"a\"\"\"\""},
    {"{k} = \"中文 [ 🙂\""},
    {"# comment with [ and \" and '"},
    {""},
    {"  "},
    {"[{k}]", true},
    {"[[arr_{k}]]", true},
    {"[ \"q.{k}\" ] # [x", true},
    {"] = 1", false, true},
    {"{k} = 'unterminated [", false, true},
    {"}", false, true},
    {"{k} = \"\"\"\nnever closed [", false, true, true},
    {"{k} = [", false, true, true},
    {"[{k}", false, true, true},
};

std::string withKey(std::string text, int key) {
    const std::string name = "key" + std::to_string(key);
    for (std::size_t at; (at = text.find("{k}")) != std::string::npos;) text.replace(at, 3, name);
    return text;
}

std::string withCarriageReturns(const std::string& entry) {
    std::string result;
    for (char c : entry) {
        if (c == '\n') result += '\r';
        result += c;
    }
    return result + "\r";
}

// Documents of known logical lines, valid or broken, with LF or CRLF line ends
// and with or without a final newline.
TEST(CodexConfigDocument, GeneratedTextsKeepTheirEntriesAndBytes) {
    std::mt19937 random(20261208);
    const std::size_t validCount = std::size(kFragments) - 6;
    for (int round = 0; round < 400; ++round) {
        const bool broken = round % 4 == 3;
        const bool crlf = round % 3 == 1;
        const bool finalNewline = round % 2 == 0;
        std::uniform_int_distribution<std::size_t> pick(
            0, (broken ? std::size(kFragments) : validCount) - 1);
        Entries root;
        std::vector<Entries> sections;
        std::string text;
        bool open = false;
        const int length = 1 + round % 17;
        for (int i = 0; i < length && !open; ++i) {
            const Fragment& fragment = kFragments[pick(random)];
            std::string entry = withKey(fragment.text, round * 100 + i);
            if (crlf) entry = withCarriageReturns(entry);
            // What stays open swallows everything after it, so it ends the text.
            open = fragment.opens;
            if (i > 0) text += '\n';
            text += entry;
            if (fragment.header) {
                sections.push_back({entry});
            } else {
                (sections.empty() ? root : sections.back()).push_back(entry);
            }
        }
        if (finalNewline && !open) {
            text += '\n';
            (sections.empty() ? root : sections.back()).push_back("");
        }
        const CodexConfigDocument document(text);
        if (!open) {
            EXPECT_EQ(document.root, root) << text;
            EXPECT_EQ(document.sections, sections) << text;
        }
        EXPECT_EQ(document.rendered(), text);
        if (!broken && !crlf) {
            EXPECT_NO_THROW((void)toml::parse(text)) << text;
        }
    }
}

TEST(CodexConfigDocument, RootValueFindsOnlyTheExactKey) {
    const struct {
        std::string entry;
        std::string key;
        std::optional<std::string> value;
    } cases[] = {
        {"model = \"gpt-5\"  # main", "model", "\"gpt-5\""},
        {"\"model\" = 'x'", "model", "'x'"},
        {"'model' = 'x'", "model", "'x'"},
        {"model = \"a#b\"", "model", "\"a#b\""},
        {"model='a' # '", "model", "'a'"},
        {"model =", "model", std::nullopt},
        {"=model", "model", std::nullopt},
        {"# model = x", "model", std::nullopt},
        {"models = x", "model", std::nullopt},
        {"model.x = 1", "model", std::nullopt},
        {"\"mod\\u0065l\" = 1", "model", "1"},
        {"\"model = 1", "model", std::nullopt},
        {"model = # only a comment", "model", ""},
        {"a==b", "a", "=b"},
        // Empty pieces are dropped before the split counts.
        {"=a=b", "a", "b"},
        {"model = \"x\"\r", "model", "\"x\""},
        {"model = [\n  \"a\",\n]", "model", "[\n  \"a\",\n]"},
        {"  model\t=\t\"x\"\t", "model", "\"x\""},
        {"model_providers = { x = { name = \"y\" } }", "model_providers",
         "{ x = { name = \"y\" } }"},
        {"model_providers.corvane_desktop_setup.name = \"x\"", "model_providers", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CodexConfigDocument::rootValue(c.entry, c.key), c.value) << c.entry;
    }
}

TEST(CodexConfigDocument, ModelBindingIsModelOrModelProvider) {
    EXPECT_TRUE(CodexConfigDocument::isModelBinding("model = \"x\""));
    EXPECT_TRUE(CodexConfigDocument::isModelBinding("'model_provider' = \"x\""));
    EXPECT_FALSE(CodexConfigDocument::isModelBinding("model_catalog_json = \"x\""));
    EXPECT_FALSE(CodexConfigDocument::isModelBinding("model_reasoning_effort = \"low\""));
}

TEST(CodexConfigDocument, OwnedHeadersAreTheProviderTableAndBelow) {
    const struct {
        std::string entry;
        bool owned;
    } cases[] = {
        {"[model_providers.corvane_desktop_setup]", true},
        {"[model_providers.corvane_desktop_setup.http_headers]", true},
        {"[model_providers.corvane_desktop_setup.a.b]", true},
        {"[ model_providers . \"corvane_desktop_setup\" ]", true},
        {"[[model_providers.corvane_desktop_setup]]", true},
        {"['model_providers'.'corvane_desktop_setup'] # x", true},
        {"[model_providers..corvane_desktop_setup]", true},
        {"[model_providers.corvane_desktop_setup]\r", true},
        {"[model_providers]", false},
        {"[model_providers.other]", false},
        {"[model_providers.corvane_desktop_setup_2]", false},
        {"[other.corvane_desktop_setup]", false},
        {"[model_providers.\"corvane_desktop_setup.x\"]", false},
        {"model_providers.corvane_desktop_setup.name = \"x\"", false},
        {"# [model_providers.corvane_desktop_setup]", false},
        {"[model_providers.corvane_desktop_setup\n]", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CodexConfigDocument::isOwnedHeader(c.entry), c.owned) << c.entry;
    }
}

TEST(CodexConfigDocument, TracesOfTheToolAreFoundOnlyWhereTheyCount) {
    TempHome home;
    home.setEnvironment("CODEX_HOME", "/srv/co dex");
    const std::string catalog = "/srv/co dex/corvane-model-catalog.json";
    const struct {
        std::string text;
        bool provider;
        bool selectsProvider;
        bool selectsCatalog;
    } cases[] = {
        {"model_provider = \"corvane_desktop_setup\"", false, true, false},
        {"model_provider='corvane_desktop_setup' # x", false, true, false},
        {"model_provider = \"corvane_desktop_setup\" extra", false, true, false},
        {"model_provider = corvane_desktop_setup", false, false, false},
        {"model_provider = \"corvane_desktop_setup_2\"", false, false, false},
        {"[t]\nmodel_provider = \"corvane_desktop_setup\"", false, false, false},
        {"model_providers.corvane_desktop_setup.name = \"x\"", false, false, false},
        {"x = 1\n[model_providers.corvane_desktop_setup.http_headers]\nk = 1", true, false, false},
        {"model_catalog_json = \"" + catalog + "\"", false, false, true},
        {"model_catalog_json = '" + catalog + "'  # ours", false, false, true},
        {"model_catalog_json = \"\\/srv\\/co dex\\/corvane-model-catalog.json\"", false, false,
         true},
        {"model_catalog_json = \"/elsewhere/corvane-model-catalog.json\"", false, false, false},
        {"[t]\nmodel_catalog_json = \"" + catalog + "\"", false, false, false},
    };
    for (const auto& c : cases) {
        const CodexConfigDocument document(c.text);
        EXPECT_EQ(document.hasOwnedProvider(), c.provider) << c.text;
        EXPECT_EQ(document.selectsOwnedProvider(), c.selectsProvider) << c.text;
        EXPECT_EQ(document.selectsOwnedCatalog(), c.selectsCatalog) << c.text;
    }
}

}  // namespace
}  // namespace corvane
