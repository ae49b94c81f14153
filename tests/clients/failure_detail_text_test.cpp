// A failure's detail is read by people: the tool's own part is a Chinese
// sentence that names the file from "~" (with the line and column where there
// is one), and a system reason follows it as the system gives it.
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
#include "support/fake_hermes.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

using testing::FakeHermes;
using testing::TempHome;

const std::filesystem::path kHermesData = std::filesystem::path(CORVANE_TEST_DATA_DIR) / "hermes";

struct DetailCase {
    const char* name;
    FakeHermes::Converter converter;
    // Prepares the files in the home folder and runs what fails.
    std::function<void(const TempHome&, const FakeHermes&)> fail;
    std::string detail;
};

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

TEST(FailureDetailText, NamesTheFileAndThePlaceInChinese) {
    const auto yaml = FakeHermes::Converter::yaml;
    const DetailCase cases[] = {
        {"YAML that does not parse", yaml,
         [](const TempHome& home, const FakeHermes& hermes) {
             saveHermes(home, hermes, "invalid.yaml");
         },
         "~/.hermes/config.yaml 第 5 行第 1 列：Hermes 读不懂这里的 YAML。"},
        {"YAML with a value JSON cannot hold", yaml,
         [](const TempHome& home, const FakeHermes& hermes) {
             saveHermes(home, hermes, "timestamp.yaml");
         },
         "~/.hermes/config.yaml：Hermes 的 YAML 读取程序无法把它转成 JSON（退出状态 1）。"},
        {"a model entry not changed in place", yaml,
         [](const TempHome& home, const FakeHermes& hermes) {
             saveHermes(home, hermes, "flow-model.yaml");
         },
         "~/.hermes/config.yaml：其中的 model 一项无法原地修改（流式写法、锚点或别名、第二个 "
         "model 键，或本工具不改动的排版）。"},
        {"a converter that hangs", FakeHermes::Converter::hang,
         [](const TempHome& home, const FakeHermes& hermes) {
             hermesObject(Bytes("model: x\n"), home.path() / ".hermes/config.yaml", hermes.bundle(),
                          {}, std::chrono::seconds(1));
         },
         "~/.hermes/config.yaml：Hermes 的 YAML 读取程序在 1000 毫秒内没有读完，已停止。"},
        {"a reset of a file that does not parse", yaml,
         [](const TempHome& home, const FakeHermes&) {
             const auto file = home.path() / ".openclaw/openclaw.json";
             testing::writeFile(file, "{\"models\": {\"providers\": {\"corvane-desktop\": {}}\n");
             resetOpenClawPlan(file);
         },
         "~/.openclaw/openclaw.json 第 2 行第 1 列：文本意外结束。"},
        {"a reset whose backup does not parse", yaml,
         [](const TempHome& home, const FakeHermes&) {
             const auto file = home.path() / ".config/opencode/opencode.json";
             testing::writeFile(file, R"({"provider": {"corvane-desktop": {}}})");
             testing::writeFile(recoveryBackupURL(file), "{\"model\": 'x' 'y'}");
             resetOpenCodePlan();
         },
         "~/.config/opencode/.opencode.json.corvane-backup 第 1 行第 15 列：此处的字符不合语法。"},
        {"a reset of a hidden copy", yaml,
         [](const TempHome& home, const FakeHermes&) {
             const auto file = home.path() / ".workbuddy/models.json";
             testing::writeFile(file, R"([{"id": "corvane-workbuddy-1", "id": "mine"}])");
             resetWorkBuddyPlan(file);
         },
         "~/.workbuddy/models.json：一项写了两次，含“corvane-workbuddy-”的是前一项，应用不读它。"},
        {"a read-only file", yaml,
         [](const TempHome& home, const FakeHermes&) {
             const auto file = home.path() / "config.json";
             testing::writeFile(file, "{}");
             std::filesystem::permissions(file, std::filesystem::perms(0444));
             refuseReadOnlyFile(file);
         },
         "~/config.json：文件为只读（权限 0444）。"},
        {"a file that cannot replace a folder", yaml,
         [](const TempHome& home, const FakeHermes&) {
             std::filesystem::create_directories(home.path() / "folder/inside");
             writePrivateFile("x", home.path() / "folder");
         },
         "无法替换 ~/folder：Is a directory"},
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
        }
        EXPECT_EQ(detail, c.detail);
    }
}

}  // namespace
}  // namespace corvane
