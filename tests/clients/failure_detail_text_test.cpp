// A failure's detail is read by people: the tool's own part is a sentence from
// the catalogue that names the file from "~" (with the line and column where
// there is one), and a system reason follows it as the system gives it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "clients/hermes/hermes_object.h"
#include "clients/openclaw/openclaw_reset.h"
#include "clients/opencode/opencode_reset.h"
#include "clients/selected_client_configuration.h"
#include "clients/workbuddy/workbuddy_reset.h"
#include "files/config_files.h"
#include "files/unreadable_configuration.h"
#include "model/setup_error.h"
#include "support/catalogue_text.h"
#include "support/fake_hermes.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using testing::FakeHermes;
using testing::TempHome;
using testing::zh;

const std::filesystem::path kHermesData = std::filesystem::path(CORVANE_TEST_DATA_DIR) / "hermes";

struct DetailCase {
    const char* name;
    FakeHermes::Converter converter;
    // Prepares the files in the home folder and runs what fails.
    std::function<void(const TempHome&, const FakeHermes&)> fail;
    std::string detail;
};

std::string unreadableAt(const char* file, const char* line, const char* column,
                         const char* reason) {
    return zh("files.config.unreadable-at",
              {{"file", file}, {"line", line}, {"column", column}, {"reason", zh(reason)}});
}

SelectedClientConfiguration codex() {
    return {Client::codex,
            GatewaySettings("https://gw.corvane.test/api", "sk-gateway-1", "bearer",
                            {ModelRow("gpt-5", "")}, Client::codex),
            ""};
}

void saveHermes(const TempHome& home, const FakeHermes& hermes, const char* sample) {
    testing::writeFile(home.path() / ".hermes/config.yaml",
                       testing::readFile(kHermesData / sample));
    const SelectedClientConfiguration save{
        Client::hermes,
        GatewaySettings("https://gw.corvane.test/api", "sk-gateway-1", "bearer",
                        {ModelRow("gpt-5", "")}, Client::hermes),
        ""};
    save.saveHermes({hermes.bundle(), "1.0"});
}

TEST(FailureDetailText, NamesTheFileAndThePlace) {
    const auto yaml = FakeHermes::Converter::yaml;
    const DetailCase cases[] = {
        {"YAML that does not parse", yaml,
         [](const TempHome& home, const FakeHermes& hermes) {
             saveHermes(home, hermes, "invalid.yaml");
         },
         zh("clients.hermes.yaml-unreadable-at",
            {{"file", "~/.hermes/config.yaml"}, {"line", "5"}, {"column", "1"}})},
        {"YAML with a value JSON cannot hold", yaml,
         [](const TempHome& home, const FakeHermes& hermes) {
             saveHermes(home, hermes, "timestamp.yaml");
         },
         zh("clients.hermes.yaml-not-converted",
            {{"file", "~/.hermes/config.yaml"}, {"status", "1"}})},
        {"a model entry not changed in place", yaml,
         [](const TempHome& home, const FakeHermes& hermes) {
             saveHermes(home, hermes, "flow-model.yaml");
         },
         zh("clients.hermes.model-not-editable", {{"file", "~/.hermes/config.yaml"}})},
        {"a converter that hangs", FakeHermes::Converter::hang,
         [](const TempHome& home, const FakeHermes& hermes) {
             hermesObject(Bytes("model: x\n"), home.path() / ".hermes/config.yaml", hermes.bundle(),
                          {}, std::chrono::seconds(1));
         },
         testing::zhCount("clients.hermes.yaml-timed-out", "clients.hermes.yaml-timed-out.plural",
                          1000, {{"file", "~/.hermes/config.yaml"}})},
        {"a reset of a file that does not parse", yaml,
         [](const TempHome& home, const FakeHermes&) {
             const auto file = home.path() / ".openclaw/openclaw.json";
             testing::writeFile(file, "{\"models\": {\"providers\": {\"corvane-desktop\": {}}\n");
             resetOpenClawPlan(file);
         },
         unreadableAt("~/.openclaw/openclaw.json", "2", "1", "files.json5.unexpected-end")},
        {"a reset whose backup does not parse", yaml,
         [](const TempHome& home, const FakeHermes&) {
             const auto file = home.path() / ".config/opencode/opencode.json";
             testing::writeFile(file, R"({"provider": {"corvane-desktop": {}}})");
             testing::writeFile(recoveryBackupURL(file), "{\"model\": 'x' 'y'}");
             resetOpenCodePlan();
         },
         unreadableAt("~/.config/opencode/.opencode.json.corvane-backup", "1", "15",
                      "files.json5.unexpected-character")},
        {"a reset of a hidden copy", yaml,
         [](const TempHome& home, const FakeHermes&) {
             const auto file = home.path() / ".workbuddy/models.json";
             testing::writeFile(file, R"([{"id": "corvane-workbuddy-1", "id": "mine"}])");
             resetWorkBuddyPlan(file);
         },
         zh("files.config.hidden-member-detail",
            {{"file", "~/.workbuddy/models.json"}, {"marker", "corvane-workbuddy-"}})},
        {"a read-only file", yaml,
         [](const TempHome& home, const FakeHermes&) {
             const auto file = home.path() / "config.json";
             testing::writeFile(file, "{}");
             std::filesystem::permissions(file, std::filesystem::perms(0444));
             refuseReadOnlyFile(file);
         },
         zh("files.config.read-only-detail", {{"file", "~/config.json"}, {"mode", "0444"}})},
        {"a file that cannot replace a folder", yaml,
         [](const TempHome& home, const FakeHermes&) {
             std::filesystem::create_directories(home.path() / "folder/inside");
             writePrivateFile("x", home.path() / "folder");
         },
         zh("files.config.cannot-replace", {{"file", "~/folder"}, {"reason", "Is a directory"}})},
        {"a provider table the user wrote by hand", yaml,
         [](const TempHome& home, const FakeHermes&) {
             testing::writeFile(home.path() / ".codex/config.toml",
                                "[model_providers.corvane_desktop_setup.extra]\nx = 1\n");
             codex().planCodex();
         },
         zh("clients.codex.table-clash",
            {{"file", "~/.codex/config.toml"},
             {"reason", zh("clients.codex.table-clash.table",
                           {{"table", "[model_providers.corvane_desktop_setup.extra]"}})}})},
        {"a table declared twice", yaml,
         [](const TempHome& home, const FakeHermes&) {
             testing::writeFile(home.path() / ".codex/config.toml", "[a]\nx = 1\n[a]\ny = 2\n");
             codex().planCodex();
         },
         zh("clients.codex.table-clash",
            {{"file", "~/.codex/config.toml"},
             {"reason", zh("clients.codex.table-clash.declared-twice", {{"table", "a"}})}})},
        {"a configuration path that is a folder", yaml,
         [](const TempHome& home, const FakeHermes&) {
             std::filesystem::create_directories(home.path() / ".codex/config.toml");
             codex().planCodex();
         },
         zh("files.error.read", {{"file", "~/.codex/config.toml"}, {"reason", "Is a directory"}})},
        {"a symbolic link out of the home folder", yaml,
         [](const TempHome& home, const FakeHermes&) {
             std::filesystem::create_directories(home.path() / "folder");
             std::filesystem::create_symlink("/dev/null", home.path() / "folder/link.json");
             writePrivateFile("x", home.path() / "folder/link.json");
         },
         zh("files.config.link-outside-home",
            {{"file", "~/folder/link.json"}, {"target", "/dev/null"}})},
    };
    for (const DetailCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        const FakeHermes hermes(home.path() / "apps", c.converter);
        // A reset keeps its own sentence; the parse failure is its detail.
        std::string detail = "(nothing thrown)";
        try {
            c.fail(home, hermes);
        } catch (const SetupError& error) {
            detail = error.detail();
        } catch (const UnreadableFileError& error) {
            detail = error.what();
        } catch (const std::filesystem::filesystem_error& error) {
            detail = error.what();
        }
        EXPECT_EQ(detail, c.detail);
    }
}

}  // namespace
}  // namespace corvane
