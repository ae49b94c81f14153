#include "clients/hermes/hermes_reset.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "clients/client_configuration_reset.h"
#include "clients/client_status.h"
#include "files/config_files.h"
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
const std::string kChangedInHermes = testing::zh("clients.hermes.changed-elsewhere");
// printf '%s' gw.corvane.test | sha256sum
constexpr const char* kTestHostFingerprint =
    "7e4d766a63949e8eaec1f350797adb14b26de10ff63c8b4072fe6805071c6560";

// A temporary home with a Hermes bundle and its configuration files.
struct HermesHome {
    HermesHome()
        : hermes(home.path()),
          application{hermes.bundle(), std::nullopt},
          config(home.path() / ".hermes/config.yaml"),
          backup(home.path() / ".hermes/.config.yaml.corvane-backup"),
          receipt(home.path() / ".hermes/.config.yaml.corvane-reset") {}

    // The tool's save over `before` (nothing: no file).
    void saveOver(const std::optional<Bytes>& before,
                  const std::string& address = "https://gw.corvane.test") {
        if (before) writeFile(config, *before);
        const GatewaySettings settings(address, "sk-gateway", "bearer", {ModelRow("gpt-5", "")},
                                       Client::hermes);
        SelectedClientConfiguration{Client::hermes, settings, ""}.saveHermes(application);
    }

    nlohmann::json current() const { return testing::readYamlWithPyYAML(config); }

    void edit(const std::function<void(nlohmann::json&)>& change) {
        nlohmann::json object = current();
        change(object);
        writeFile(config, object.dump(2));
    }

    bool reset(std::string_view fingerprint = "") {
        return resetHermes(config, application, fingerprint);
    }

    std::string refusal(std::string_view fingerprint = "") {
        return setupErrorText([&] { reset(fingerprint); });
    }

    TempHome home;
    FakeHermes hermes;
    InstalledApplication application;
    std::filesystem::path config;
    std::filesystem::path backup;
    std::filesystem::path receipt;
};

// Apply twice, then reset: the YAML comes back byte for byte, and a line the
// user added meanwhile stays. A file that held no value needs no Hermes to be
// taken back.
TEST(HermesReset, ApplyThenResetGivesTheYamlBack) {
    const struct {
        const char* file;
        bool needsHermes;
        bool userMayAppend;  // a line at the end still belongs to the document
    } cases[] = {
        {"config.yaml", true, true},        {"anchors.yaml", true, true},
        {"model-string.yaml", true, true},  {"model-comments-crlf.yaml", true, true},
        {"no-model.yaml", true, true},      {"indentless-lists.yaml", true, true},
        {"document-end.yaml", true, false}, {"model-no-value.yaml", true, true},
        {"blank.yaml", false, false},
    };
    for (const auto& c : cases) {
        for (const bool userEdit : {false, true}) {
            if (userEdit && !c.userMayAppend) continue;
            SCOPED_TRACE(std::string(c.file) + (userEdit ? ", edited" : ""));
            HermesHome h;
            const Bytes original = readFile(kData / c.file);
            h.saveOver(original);
            h.saveOver(std::nullopt, "https://gw2.corvane.test");
            const Bytes applied = readFile(h.config);
            EXPECT_EQ(hermesStatus("").configured, true);
            const std::string added = userEdit ? "\nextra: 1\n" : "";
            writeFile(h.config, applied + added);
            if (!c.needsHermes) h.application = {};
            // What a dry run shows is what the reset writes.
            const auto plan = resetHermesPlan(h.config, h.application, "", {});
            ASSERT_TRUE(plan);
            EXPECT_EQ(readFile(h.config), applied + added);
            EXPECT_TRUE(h.reset());
            EXPECT_EQ(readFile(h.config), original + added);
            EXPECT_EQ(plan->front().content, original + added);
            EXPECT_FALSE(std::filesystem::exists(h.backup));
            EXPECT_EQ(hermesStatus("").configured, false);
        }
    }
}

// The user put their own file back by hand: nothing of the tool's is left but
// its receipt, which the reset clears, and a later apply starts afresh.
TEST(HermesReset, TheUsersOwnFileBackLeavesNothingToTakeOut) {
    HermesHome h;
    const Bytes original = readFile(kData / "config.yaml");
    h.saveOver(original);
    writeFile(h.config, original);
    EXPECT_EQ(hermesStatus("").configured, false);
    EXPECT_FALSE(h.reset());
    EXPECT_FALSE(std::filesystem::exists(h.receipt));
    EXPECT_EQ(readFile(h.config), original);
    h.saveOver(std::nullopt);
    EXPECT_EQ(hermesStatus("").configured, true);
    EXPECT_EQ(readFile(h.backup), original);
}

TEST(HermesReset, RestoresTheEarlierConnection) {
    HermesHome h;
    h.saveOver(readFile(kData / "config.yaml"));
    h.edit([](nlohmann::json& object) {
        object["model"]["default"] = "another-model";  // not part of the connection
        object["model"]["temperature"] = 0.3;          // added in Hermes since
        object["terminal"]["timeout"] = 60;
    });

    EXPECT_TRUE(h.reset());

    nlohmann::json expected = testing::readYamlWithPyYAML(kData / "config.yaml");
    expected["model"]["temperature"] = 0.3;
    expected["terminal"]["timeout"] = 60;
    EXPECT_EQ(h.current(), expected);
    EXPECT_FALSE(std::filesystem::exists(h.backup));
    EXPECT_FALSE(std::filesystem::exists(h.receipt));
}

TEST(HermesReset, ClearsWhatWasNotThereBefore) {
    HermesHome h;
    h.saveOver(std::nullopt);
    EXPECT_TRUE(h.reset());
    EXPECT_FALSE(std::filesystem::exists(h.config));
    EXPECT_FALSE(std::filesystem::exists(h.backup));
    EXPECT_FALSE(std::filesystem::exists(h.receipt));
}

TEST(HermesReset, ClearingKeepsWhatHermesAddedSince) {
    HermesHome h;
    h.saveOver(std::nullopt);
    h.edit([](nlohmann::json& object) {
        object["terminal"] = {{"backend", "local"}};
        object["model"]["context_length"] = 8192;
    });
    EXPECT_TRUE(h.reset());
    EXPECT_EQ(h.current(), (nlohmann::json{{"model", {{"context_length", 8192}}},
                                           {"terminal", {{"backend", "local"}}}}));
}

TEST(HermesReset, EarlierPlainStringModelComesBack) {
    HermesHome h;
    h.saveOver(readFile(kData / "model-string.yaml"));
    EXPECT_TRUE(h.reset());
    EXPECT_EQ(h.current(), testing::readYamlWithPyYAML(kData / "model-string.yaml"));
}

TEST(HermesReset, RefusesAConnectionChangedInHermes) {
    struct Case {
        const char* field;
        nlohmann::json value;
    };
    const Case cases[] = {
        {"api_key", "sk-user-changed"},
        {"base_url", "https://other.example/v1"},
        {"provider", "openrouter"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        HermesHome h;
        h.saveOver(readFile(kData / "config.yaml"));
        h.edit([&](nlohmann::json& object) { object["model"][c.field] = c.value; });
        const Bytes config = readFile(h.config);
        const Bytes backup = readFile(h.backup);
        const Bytes receipt = readFile(h.receipt);

        EXPECT_EQ(h.refusal(kTestHostFingerprint), kChangedInHermes);
        EXPECT_EQ(readFile(h.config), config);
        EXPECT_EQ(readFile(h.backup), backup);
        EXPECT_EQ(readFile(h.receipt), receipt);
    }
}

TEST(HermesReset, WithoutReceiptOnlyTheKnownHostIsTakenBack) {
    struct Case {
        const char* name;
        std::function<void(nlohmann::json&)> change;
        std::string_view fingerprint;
        bool reset;
    };
    const Case cases[] = {
        {"known host", [](nlohmann::json&) {}, kTestHostFingerprint, true},
        {"host in other letter case",
         [](nlohmann::json& m) { m["base_url"] = "https://GW.Corvane.TEST:8443/v1"; },
         kTestHostFingerprint, true},
        {"no host configured", [](nlohmann::json&) {}, "", false},
        {"other host", [](nlohmann::json& m) { m["base_url"] = "https://gw.corvane.test.evil/v1"; },
         kTestHostFingerprint, false},
        {"provider not custom", [](nlohmann::json& m) { m["provider"] = "openrouter"; },
         kTestHostFingerprint, false},
        {"address without host", [](nlohmann::json& m) { m["base_url"] = "https:///v1"; },
         kTestHostFingerprint, false},
        {"address not a URL", [](nlohmann::json& m) { m["base_url"] = "gw.corvane.test/v1"; },
         kTestHostFingerprint, false},
        {"key missing", [](nlohmann::json& m) { m.erase("api_key"); }, kTestHostFingerprint, false},
        {"key not a string", [](nlohmann::json& m) { m["api_key"] = 42; }, kTestHostFingerprint,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HermesHome h;
        h.saveOver(readFile(kData / "config.yaml"));
        std::filesystem::remove(h.receipt);
        h.edit([&](nlohmann::json& object) { c.change(object["model"]); });
        const Bytes before = readFile(h.config);

        EXPECT_EQ(h.reset(c.fingerprint), c.reset);
        if (c.reset) {
            EXPECT_EQ(h.current()["model"],
                      testing::readYamlWithPyYAML(kData / "config.yaml")["model"]);
            EXPECT_FALSE(std::filesystem::exists(h.backup));
        } else {
            EXPECT_EQ(readFile(h.config), before);
            EXPECT_TRUE(std::filesystem::exists(h.backup));
        }
    }
}

TEST(HermesReset, WithoutReceiptTheSameEarlierAddressIsCleared) {
    HermesHome h;
    h.saveOver(readFile(kData / "unchanged-gateway.yaml"), "https://gw.corvane.test");
    std::filesystem::remove(h.receipt);
    EXPECT_TRUE(h.reset(kTestHostFingerprint));
    EXPECT_EQ(h.current(), (nlohmann::json{{"terminal", {{"backend", "local"}}}}));
}

TEST(HermesReset, FindsNothingToUndo) {
    HermesHome h;
    // Neither receipt nor backup: the configuration is not even read, so a
    // file no converter could read does no harm.
    writeFile(h.config, readFile(kData / "invalid.yaml"));
    EXPECT_FALSE(h.reset(kTestHostFingerprint));

    // A receipt without a configuration stays where it is.
    std::filesystem::remove(h.config);
    writeFile(h.receipt, "receipt");
    EXPECT_FALSE(h.reset(kTestHostFingerprint));
    EXPECT_TRUE(std::filesystem::exists(h.receipt));
}

TEST(HermesReset, ClientResetDispatchesToHermes) {
    HermesHome h;
    h.saveOver(std::nullopt);
    EXPECT_TRUE(ClientConfigurationReset(Client::hermes, " " + h.config.string() + "\n")
                    .run(h.application));
    EXPECT_FALSE(std::filesystem::exists(h.config));
    EXPECT_FALSE(ClientConfigurationReset(Client::hermes, h.config.string()).run(h.application));
}

}  // namespace
}  // namespace corvane
