#include "clients/codex/codex_writer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <toml++/toml.h>

#include "clients/codex/codex_files.h"
#include "files/config_files.h"
#include "files/edit_check_failed.h"
#include "model/setup_error.h"
#include "support/catalogue_text.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using testing::permissions;
using testing::readFile;
using testing::TempHome;
using testing::writeFile;

const std::filesystem::path kCorpus = std::filesystem::path(CORVANE_TEST_DATA_DIR) / "codex";
const std::filesystem::path kCatalog = "/home/u/.codex/corvane-model-catalog.json";

SelectedClientConfiguration codex(std::vector<ModelRow> rows, std::string_view scheme = "bearer",
                                  std::string_view key = "sk-test-123") {
    return {Client::codex,
            GatewaySettings("https://gw.example.test/api", key, scheme, rows, Client::codex), ""};
}

SelectedClientConfiguration oneModel() { return codex({ModelRow("gpt-gw", "")}); }

// The tool's lines for the one-model bearer configuration, around `kept`.
std::string toolLines(const std::string& kept) {
    return "model = \"gpt-gw\"\n"
           "model_provider = \"corvane_desktop_setup\"\n"
           "model_catalog_json = \"/home/u/.codex/corvane-model-catalog.json\"\n"
           "model_reasoning_effort = \"low\"\n" +
           kept +
           "\n"
           "\n"
           "[model_providers.corvane_desktop_setup]\n"
           "name = \"" +
           testing::zh("clients.provider-name") +
           "\"\n"
           "base_url = \"https://gw.example.test/api/v1\"\n"
           "wire_api = \"responses\"\n"
           "requires_openai_auth = false\n"
           "supports_websockets = false\n"
           "experimental_bearer_token = \"sk-test-123\"\n";
}

std::vector<std::filesystem::path> validCorpus() {
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::directory_iterator(kCorpus)) {
        if (!item.path().filename().string().starts_with("broken-")) files.push_back(item.path());
    }
    return files;
}

// The user's own part of a parsed file: everything but the tool's keys.
toml::table usersPart(toml::table table) {
    for (const char* key :
         {"model", "model_provider", "model_catalog_json", "model_reasoning_effort"}) {
        table.erase(key);
    }
    if (auto* providers = table["model_providers"].as_table()) {
        providers->erase("corvane_desktop_setup");
        if (providers->empty()) table.erase("model_providers");
    }
    return table;
}

TEST(TomlString, EscapesWhatTomlRequires) {
    const struct {
        std::string value;
        std::string literal;
    } cases[] = {
        {"plain", "\"plain\""},
        {"", "\"\""},
        {"a\"b", "\"a\\\"b\""},
        {"C:\\dir", "\"C:\\\\dir\""},
        {"/a/b", "\"/a/b\""},
        {"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
        {std::string("\0\x01\x1f", 3), "\"\\u0000\\u0001\\u001F\""},
        // TOML forbids a raw DEL in a basic string.
        {"a\x7f", "\"a\\u007F\""},
        {"中文 🙂", "\"中文 🙂\""},
        {"'#[", "\"'#[\""},
    };
    for (const auto& c : cases) EXPECT_EQ(tomlString(c.value), c.literal) << c.value;
}

TEST(TomlString, EveryAsciiCharacterReadsBackThroughARealParser) {
    std::string all;
    for (int c = 0; c < 0x80; ++c) all += static_cast<char>(c);
    for (const std::string& value : {all, std::string("é\x7f中\"\\"), std::string("\x7f")}) {
        const toml::table table = toml::parse("k = " + tomlString(value) + "\n");
        EXPECT_EQ(table["k"].value<std::string>(), value);
    }
}

TEST(CodexConfiguration, WritesOnlyTheToolsLinesIntoAnEmptyFile) {
    EXPECT_EQ(codexConfiguration(oneModel(), "", kCatalog), toolLines(""));
    EXPECT_EQ(codexConfiguration(oneModel(), "\n\r\n\n", kCatalog), toolLines(""));
}

TEST(CodexConfiguration, ReplacesTheUsersBindingAndKeepsTheRest) {
    const std::string user =
        "\n# mine\nmodel = \"o3\"\n\napproval_policy = \"never\"\nmodel_reasoning_effort = "
        "'high'\n[tui]\nnotifications = true\n\n";
    EXPECT_EQ(codexConfiguration(oneModel(), user, kCatalog),
              toolLines("# mine\n\napproval_policy = \"never\"\n[tui]\nnotifications = true"));
}

TEST(CodexConfiguration, DropsTheToolsTablesWhereverTheyStand) {
    const std::string user =
        "[model_providers.corvane_desktop_setup] # old\nname = \"old\"\n"
        "[model_providers.other]\nname = \"o\"\n"
        "[model_providers.corvane_desktop_setup.http_headers]\nx-api-key = \"old\"\n"
        "[after]\ny = 2\n";
    EXPECT_EQ(codexConfiguration(oneModel(), user, kCatalog),
              toolLines("[model_providers.other]\nname = \"o\"\n[after]\ny = 2"));
}

TEST(CodexConfiguration, SendsTheKeyAsAHeaderForXApiKey) {
    const std::string text =
        codexConfiguration(codex({ModelRow("m", "")}, "x-api-key", "k\"\\ey"), "", kCatalog);
    EXPECT_TRUE(
        text.ends_with("supports_websockets = false\n"
                       "[model_providers.corvane_desktop_setup.http_headers]\n"
                       "x-api-key = \"k\\\"\\\\ey\"\n"))
        << text;
    EXPECT_EQ(text.find("experimental_bearer_token"), std::string::npos);
}

TEST(CodexConfiguration, RefusesAnInlineProviderTable) {
    for (const char* text : {"model_providers = { other = { name = \"x\" } }",
                             "a = 1\n\"model_providers\" = {}\n[t]"}) {
        try {
            codexConfiguration(oneModel(), text, kCatalog);
            ADD_FAILURE() << text;
        } catch (const SetupError& error) {
            EXPECT_EQ(error.text(), testing::zh("clients.codex.inline-providers"));
        }
    }
    // A dotted key or a table of that name is not the inline form.
    EXPECT_NO_THROW(codexConfiguration(oneModel(), "model_providers.x.name = \"y\"", kCatalog));
    EXPECT_NO_THROW(codexConfiguration(oneModel(), "[model_providers]\nx = {}", kCatalog));
}

TEST(CodexConfiguration, ResavingGivesWhatTheFirstSaveWouldHave) {
    const auto first = codex({ModelRow("a", ""), ModelRow("b", "")});
    const auto second = codex({ModelRow("c/d", "")}, "x-api-key");
    for (const auto& file : validCorpus()) {
        const std::string user = readFile(file);
        const std::string once = codexConfiguration(first, user, kCatalog);
        EXPECT_EQ(codexConfiguration(second, once, "/other/catalog.json"),
                  codexConfiguration(second, user, "/other/catalog.json"))
            << file;
    }
}

// Every file the writer produces from a valid file is valid TOML, carries the
// tool's values, and reads the user's own keys and tables as before.
TEST(CodexConfiguration, OutputIsValidTomlAndKeepsTheUsersValues) {
    const std::vector<SelectedClientConfiguration> configurations = {
        oneModel(),
        codex({ModelRow("we\"ird\\/中", "x")}, "x-api-key", "key\\\"/"),
    };
    for (const auto& file : validCorpus()) {
        const std::string user = readFile(file);
        const toml::table before = toml::parse(user);
        for (const auto& configuration : configurations) {
            const std::filesystem::path catalog =
                "/tmp/a \"b\"\\c\x7f\x01/corvane-model-catalog.json";
            const std::string text = codexConfiguration(configuration, user, catalog);
            toml::table after;
            try {
                after = toml::parse(text);
            } catch (const toml::parse_error& error) {
                ADD_FAILURE() << file << ": " << error << "\n" << text;
                continue;
            }
            const auto& settings = configuration.settings;
            EXPECT_EQ(after["model"].value<std::string>(), settings.inferenceModels()[0].name);
            EXPECT_EQ(after["model_provider"].value<std::string>(), "corvane_desktop_setup");
            EXPECT_EQ(after["model_catalog_json"].value<std::string>(), catalog.string());
            EXPECT_EQ(after["model_reasoning_effort"].value<std::string>(), "low");
            const auto provider = after["model_providers"]["corvane_desktop_setup"];
            EXPECT_EQ(provider["base_url"].value<std::string>(), "https://gw.example.test/api/v1");
            const auto key = settings.inferenceGatewayAuthScheme() == "x-api-key"
                                 ? provider["http_headers"]["x-api-key"]
                                 : provider["experimental_bearer_token"];
            EXPECT_EQ(key.value<std::string>(), settings.inferenceGatewayApiKey());
            EXPECT_EQ(usersPart(after), usersPart(before)) << file << "\n" << text;
        }
    }
}

TEST(CodexModelCatalog, DescribesEveryModelInListOrder) {
    const auto configuration =
        codex({ModelRow("org/a", "Model A"), ModelRow("b", ""), ModelRow("c", "")});
    const nlohmann::json models = codexModelCatalog(configuration.settings)["models"];
    ASSERT_EQ(models.size(), 3u);
    nlohmann::json expectedA = nlohmann::json::parse(R"({
        "slug": "org/a", "display_name": "Model A",
        "base_instructions": "You are a helpful AI assistant.",
        "default_reasoning_level": "low",
        "supported_reasoning_levels": [{"effort": "low", "description": "Low"}],
        "shell_type": "shell_command", "visibility": "list",
        "minimal_client_version": [0, 1, 0], "supported_in_api": true, "priority": 0,
        "support_verbosity": false, "supports_image_detail_original": false,
        "truncation_policy": {"mode": "tokens", "limit": 10000},
        "context_window": 32768, "max_context_window": 32768,
        "experimental_supported_tools": []
    })");
    expectedA["description"] = testing::zh("clients.codex.model-description");
    EXPECT_EQ(models[0], expectedA);
    EXPECT_EQ(models[0].size(), 17u);
    EXPECT_EQ(models[1]["slug"], "b");
    EXPECT_EQ(models[1]["display_name"], "b");
    EXPECT_EQ(models[1]["priority"], 1);
    EXPECT_EQ(models[2]["priority"], 2);
}

TEST(SaveCodex, CreatesBothFilesOnAFreshSystem) {
    TempHome home;
    codex({ModelRow("org/a", ""), ModelRow("b", "")}).saveCodex();
    const auto folder = home.path() / ".codex";
    const std::string config = readFile(folder / "config.toml");
    EXPECT_TRUE(
        config.starts_with("model = \"org/a\"\nmodel_provider = \"corvane_desktop_setup\"\n"
                           "model_catalog_json = \"" +
                           (folder / "corvane-model-catalog.json").string() +
                           "\"\nmodel_reasoning_effort = \"low\"\n\n\n["))
        << config;
    EXPECT_EQ(readFile(folder / ".config.toml.corvane-backup"), "");
    EXPECT_EQ(permissions(folder), 0700u);
    EXPECT_EQ(permissions(folder / "config.toml"), 0600u);
    EXPECT_EQ(permissions(folder / "corvane-model-catalog.json"), 0600u);

    const std::string catalog = readFile(folder / "corvane-model-catalog.json");
    EXPECT_NE(catalog.find("\"org\\/a\""), std::string::npos) << catalog;
    EXPECT_NE(catalog.find('\n'), std::string::npos);
    const auto models = nlohmann::json::parse(catalog)["models"];
    ASSERT_EQ(models.size(), 2u);
    EXPECT_EQ(models[0]["slug"], "org/a");
    EXPECT_LT(catalog.find("\"base_instructions\""), catalog.find("\"context_window\""));
}

TEST(SaveCodex, WritesIntoCodexHomeAndKeepsTheFirstBackup) {
    TempHome home;
    const auto folder = home.path() / "custom";
    home.setEnvironment("CODEX_HOME", folder.string());
    const std::string user = "# mine\nmodel = \"o3\"\n[t]\nx = 1\n";
    writeFile(folder / "config.toml", user);
    oneModel().saveCodex();
    codex({ModelRow("second", "")}).saveCodex();
    EXPECT_EQ(readFile(folder / ".config.toml.corvane-backup"), user);
    const std::string config = readFile(folder / "config.toml");
    EXPECT_TRUE(config.starts_with("model = \"second\"\n")) << config;
    EXPECT_EQ(config.find("gpt-gw"), std::string::npos);
    EXPECT_NE(config.find("# mine\n[t]\nx = 1\n\n[model_providers"), std::string::npos) << config;
    EXPECT_TRUE(std::filesystem::exists(folder / "corvane-model-catalog.json"));
    EXPECT_FALSE(std::filesystem::exists(home.path() / ".codex"));
}

// An empty CODEX_HOME counts as unset: nothing lands in the working folder.
TEST(SaveCodex, EmptyCodexHomeWritesIntoTheCodexFolder) {
    TempHome home;
    home.setEnvironment("CODEX_HOME", "");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(home.path());
    EXPECT_NO_THROW(oneModel().saveCodex());
    std::filesystem::current_path(previous);
    const auto folder = home.path() / ".codex";
    EXPECT_NE(readFile(folder / "config.toml")
                  .find("model_catalog_json = " +
                        nlohmann::json((folder / "corvane-model-catalog.json").string()).dump()),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(folder / "corvane-model-catalog.json"));
    EXPECT_FALSE(std::filesystem::exists(home.path() / "config.toml"));
}

TEST(SaveCodex, RefusesWithoutWritingAnything) {
    const std::string kMalformed = testing::zh("clients.codex.malformed");
    const struct {
        std::string content;
        std::string message;
    } cases[] = {
        {"model = \"\xff\"\n", testing::zh("clients.codex.not-utf8")},
        {"model_providers = { x = {} }\n", testing::zh("clients.codex.inline-providers")},
        // What the line model cannot take apart safely: the tool's table would
        // end up inside the open construct.
        {"s = \"\"\"\nnot closed\n", kMalformed},
        {"s = '''\n", kMalformed},
        {"a = [\n  1,\n", kMalformed},
        {std::string("a = 1\0\n", 7), kMalformed},
        {"a = 1\rb = 2\r", kMalformed},
        // A second definition of the tool's table, or of any table, is what
        // TOML readers refuse.
        {"model_providers.corvane_desktop_setup.name = \"mine\"\n", kMalformed},
        {"[model_providers]\ncorvane_desktop_setup = { name = \"mine\" }\n", kMalformed},
        {"[model_providers.\"corvane_desktop_setup\"]\nname = \"mine\"\n", kMalformed},
        {"[t]\na = 1\n[t]\nb = 2\n", kMalformed},
        {"[ model_providers . 'corvane_desktop_setup' . http_headers ]\nx = \"k\"\n", kMalformed},
        {"[model_providers.corvane_desktop_setup.extra]\nx = 1\n", kMalformed},
    };
    for (const auto& c : cases) {
        TempHome home;
        const auto folder = home.path() / ".codex";
        writeFile(folder / "config.toml", c.content);
        try {
            oneModel().saveCodex();
            ADD_FAILURE() << c.message;
        } catch (const SetupError& error) {
            EXPECT_EQ(error.text(), c.message);
        }
        EXPECT_EQ(readFile(folder / "config.toml"), c.content);
        EXPECT_FALSE(std::filesystem::exists(folder / "corvane-model-catalog.json"));
        EXPECT_FALSE(std::filesystem::exists(folder / ".config.toml.corvane-backup"));
    }
}

// What only a TOML reader sees, a key given twice or a value that is no TOML
// value, is refused once the edit is made, before anything is written.
TEST(SaveCodex, RefusesWhatATomlReaderRefuses) {
    for (const std::string content : {"a = 1\na = 2\n", "a = nope\n"}) {
        TempHome home;
        const auto folder = home.path() / ".codex";
        writeFile(folder / "config.toml", content);
        EXPECT_THROW(oneModel().saveCodex(), EditCheckFailed) << content;
        EXPECT_EQ(readFile(folder / "config.toml"), content);
        EXPECT_FALSE(std::filesystem::exists(folder / "corvane-model-catalog.json"));
    }
}

// Makes every file write beyond `limit` bytes fail (EFBIG) until destroyed.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int);
};

// The catalog is written first; when config.toml then cannot be written, the
// catalog goes back to what it was.
TEST(SaveCodex, PutsTheCatalogBackWhenTheConfigurationWriteFails) {
    const std::string large = "# " + std::string(64 * 1024, 'x') + "\n";
    for (const std::optional<std::string>& previousCatalog :
         {std::optional<std::string>(), std::optional<std::string>("{\"models\": []}")}) {
        TempHome home;
        const auto folder = home.path() / ".codex";
        writeFile(folder / "config.toml", large);
        if (previousCatalog) writeFile(folder / "corvane-model-catalog.json", *previousCatalog);
        {
            // The catalog fits, the backup of the large file does not.
            FileSizeLimit limit(16 * 1024);
            EXPECT_ANY_THROW(oneModel().saveCodex());
        }
        EXPECT_EQ(readFile(folder / "config.toml"), large);
        if (previousCatalog) {
            EXPECT_EQ(readFile(folder / "corvane-model-catalog.json"), *previousCatalog);
        } else {
            EXPECT_FALSE(std::filesystem::exists(folder / "corvane-model-catalog.json"));
        }
        for (const auto& item : std::filesystem::directory_iterator(folder)) {
            EXPECT_FALSE(item.path().filename().string().starts_with(".corvane-")) << item.path();
        }
    }
}

}  // namespace
}  // namespace corvane
