#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "clients/hermes/hermes_receipt.h"
#include "clients/selected_client_configuration.h"
#include "model/setup_error.h"
#include "support/catalogue_text.h"
#include "support/fake_hermes.h"
#include "support/setup_error_text.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using testing::FakeHermes;
using testing::readFile;
using testing::setupErrorText;
using testing::TempHome;
using testing::writeFile;

const std::filesystem::path kData = std::filesystem::path(CORVANE_TEST_DATA_DIR) / "hermes";

SelectedClientConfiguration hermesSave(const std::string& key = "sk-gateway-1",
                                       std::vector<ModelRow> rows = {ModelRow("gpt-5", "")}) {
    return {Client::hermes,
            GatewaySettings("https://gw.corvane.test/api", key, "bearer", rows, Client::hermes),
            ""};
}

struct HermesFiles {
    std::filesystem::path config;
    std::filesystem::path backup;
    std::filesystem::path receipt;
};

HermesFiles filesIn(const TempHome& home) {
    const auto folder = home.path() / ".hermes";
    return {folder / "config.yaml", folder / ".config.yaml.corvane-backup",
            folder / ".config.yaml.corvane-reset"};
}

nlohmann::json expectedModel(const std::string& key) {
    return {{"provider", "custom"},
            {"default", "gpt-5"},
            {"base_url", "https://gw.corvane.test/api/v1"},
            {"api_key", key}};
}

// Only the connection's lines change; comments, other fields and every other
// section stay byte for byte.
TEST(HermesWriter, EditsOnlyTheConnectionLinesOfTheYaml) {
    TempHome home;
    FakeHermes hermes(home.path());
    const auto files = filesIn(home);
    const Bytes yaml = readFile(kData / "config.yaml");
    writeFile(files.config, yaml);

    hermesSave().save({hermes.bundle(), std::nullopt});

    Bytes expectedText = yaml;
    const auto replace = [&](const std::string& from, const std::string& to) {
        expectedText.replace(expectedText.find(from), from.size(), to);
    };
    replace("default: \"anthropic/claude-opus-4.6\"", "default: \"gpt-5\"");
    replace("provider: \"openrouter\"          # auto | openrouter | nous | custom | ...",
            "provider: \"custom\"");
    replace("base_url: \"https://openrouter.ai/api/v1\"",
            "base_url: \"https://gw.corvane.test/api/v1\"");
    replace("api_key: \"sk-or-v1-user-own-key\"", "api_key: \"sk-gateway-1\"");
    EXPECT_EQ(readFile(files.config), expectedText);
    nlohmann::json expected = testing::readYamlWithPyYAML(kData / "config.yaml");
    expected["model"].update(expectedModel("sk-gateway-1"));
    EXPECT_EQ(testing::readYamlWithPyYAML(files.config), expected);
    EXPECT_EQ(readFile(files.backup), yaml);
    EXPECT_EQ(readFile(files.receipt), hermesReceipt(expected["model"]));
    EXPECT_EQ(testing::permissions(files.config), 0600u);
    EXPECT_EQ(testing::permissions(files.receipt), 0600u);

    // A second save changes the key's line only and leaves the backup alone.
    hermesSave("sk-gateway-2").save({hermes.bundle(), std::nullopt});
    replace("sk-gateway-1", "sk-gateway-2");
    EXPECT_EQ(readFile(files.config), expectedText);
    EXPECT_EQ(readFile(files.backup), yaml);
}

TEST(HermesWriter, SetsTheModelTableWhateverItWasBefore) {
    struct Case {
        const char* name;
        std::optional<Bytes> before;
        nlohmann::json expected;
    };
    const Case cases[] = {
        {"no file", std::nullopt, {{"model", expectedModel("sk-gateway-1")}}},
        {"empty file", Bytes(), {{"model", expectedModel("sk-gateway-1")}}},
        {"model as a plain string",
         readFile(kData / "model-string.yaml"),
         {{"model", expectedModel("sk-gateway-1")}, {"terminal", {{"backend", "local"}}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        FakeHermes hermes(home.path());
        const auto files = filesIn(home);
        if (c.before) writeFile(files.config, *c.before);

        hermesSave().saveHermes({hermes.bundle(), std::nullopt});

        EXPECT_EQ(testing::readYamlWithPyYAML(files.config), c.expected);
        // An empty file's backup says that it existed.
        EXPECT_EQ(readFile(files.backup),
                  c.before && c.before->empty() ? Bytes(kEmptyFileBackup) : c.before.value_or(""));
        EXPECT_EQ(readFile(files.receipt), hermesReceipt(c.expected["model"]));
    }
}

TEST(HermesWriter, OnlyTheFirstModelBecomesTheDefault) {
    TempHome home;
    const auto files = filesIn(home);
    const auto save = hermesSave("k-1", {ModelRow("first-model", "First"), ModelRow("second", "")});
    save.saveHermes({std::nullopt, std::nullopt});
    EXPECT_EQ(testing::readYamlWithPyYAML(files.config)["model"]["default"], "first-model");
}

TEST(HermesWriter, WritesNothingWhenTheConfigurationCannotBeRead) {
    struct Case {
        const char* name;
        const char* file;
        FakeHermes::Converter converter;
        std::string message;
    };
    const Case cases[] = {
        {"invalid YAML", "invalid.yaml", FakeHermes::Converter::yaml,
         testing::zh("clients.hermes.malformed")},
        {"timestamp", "timestamp.yaml", FakeHermes::Converter::yaml,
         testing::zh("clients.hermes.malformed")},
        {"top-level list", "list.yaml", FakeHermes::Converter::yaml,
         testing::zh("files.config.not-an-object")},
        {"no converter", "config.yaml", FakeHermes::Converter::missing,
         testing::zh("clients.hermes.run-first")},
        // Never rewritten whole as JSON: the model entry is not one the tool
        // can change in place.
        {"flow-style model", "flow-model.yaml", FakeHermes::Converter::yaml,
         testing::zh("clients.hermes.malformed")},
        {"model as an alias", "alias-model.yaml", FakeHermes::Converter::yaml,
         testing::zh("clients.hermes.malformed")},
        {"two model keys", "two-models.yaml", FakeHermes::Converter::yaml,
         testing::zh("clients.hermes.malformed")},
        {"an anchor in the model that another key uses", "anchor-in-model.yaml",
         FakeHermes::Converter::yaml, testing::zh("clients.hermes.malformed")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        FakeHermes hermes(home.path(), c.converter);
        const auto files = filesIn(home);
        const Bytes yaml = readFile(kData / c.file);
        writeFile(files.config, yaml);

        EXPECT_EQ(setupErrorText([&] {
                      hermesSave().saveHermes({hermes.bundle(), "1.0"});
                  }),
                  c.message);
        EXPECT_EQ(readFile(files.config), yaml);
        EXPECT_FALSE(std::filesystem::exists(files.backup));
        EXPECT_FALSE(std::filesystem::exists(files.receipt));
    }
}

TEST(HermesWriter, FailedConfigurationWritePutsTheReceiptBack) {
    struct Case {
        const char* name;
        std::optional<Bytes> receiptBefore;
        Bytes yaml;
        bool editedDuringConversion;
    };
    const Bytes yaml = readFile(kData / "config.yaml");
    const Case cases[] = {
        {"edited meanwhile, earlier receipt", Bytes("earlier receipt"), yaml, true},
        {"edited meanwhile, no receipt", std::nullopt, yaml, true},
        // A flow-style file is refused before anything is written, never
        // turned into JSON.
        {"flow-style file", Bytes("earlier receipt"), "{ratio: .nan}\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        FakeHermes hermes(home.path());
        const auto files = filesIn(home);
        writeFile(files.config, c.yaml);
        if (c.receiptBefore) writeFile(files.receipt, *c.receiptBefore);
        if (c.editedDuringConversion) {
            home.setEnvironment("FAKE_HERMES_EDIT", files.config.string());
        }

        const auto save = [&] { hermesSave().saveHermes({hermes.bundle(), std::nullopt}); };
        if (c.editedDuringConversion) {
            EXPECT_EQ(setupErrorText(save), testing::zh("files.config.changed-under-us"));
        } else {
            EXPECT_EQ(setupErrorText(save), testing::zh("clients.hermes.malformed"));
        }

        if (c.receiptBefore) {
            EXPECT_EQ(readFile(files.receipt), *c.receiptBefore);
        } else {
            EXPECT_FALSE(std::filesystem::exists(files.receipt));
        }
        // Each run of the converter appends a line.
        EXPECT_TRUE(readFile(files.config).starts_with(c.yaml));
        EXPECT_EQ(readFile(files.config) == c.yaml, !c.editedDuringConversion);
        EXPECT_FALSE(std::filesystem::exists(files.backup));
    }
}

}  // namespace
}  // namespace corvane
