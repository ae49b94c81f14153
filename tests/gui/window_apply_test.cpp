#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <nlohmann/json.hpp>

#include "defaults/user_defaults.h"
#include "gui/form_text.h"
#include "gui/setup_window.h"
#include "platform/workspace.h"
#include "support/catalogue_text.h"
#include "support/fake_bundle.h"
#include "support/temp_home.h"
#include "support/test_gateway.h"
#include "window_driver.h"
#include "workflow/setup_session.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::readFile;
using testing::WindowDriver;
using testing::writeFile;

constexpr const char* kKey = "sk-corvane-WINDOW-5b1d";
constexpr const char* kOwnJson = "{\"agents\": {\"defaults\": {}}}\n";
constexpr const char* kOwnLines = "model = \"o3\"\n[history]\npersistence = \"none\"\n";

testing::GatewayReply responsesCompleted() {
    testing::GatewayReply reply;
    reply.chunks.push_back(
        {"data: {\"type\":\"response.created\"}\n\ndata: {\"type\":\"response.completed\"}\n\n"});
    return reply;
}

testing::GatewayReply chatCompleted() {
    testing::GatewayReply reply;
    reply.chunks.push_back({"data: {\"choices\":[]}\n\ndata: [DONE]\n\n"});
    return reply;
}

// The whole road through the window: typing, Return, the gateway check over
// HTTPS, the write, the restart question answered in the window, the restart
// of a fake Codex; then the reset through its confirmation.
class WindowApplyTest : public ::testing::Test {
protected:
    WindowApplyTest() {
        home.setEnvironment("SSL_CERT_FILE", gateway.caFile().string());
        home.setEnvironment("SSL_CERT_DIR", std::nullopt);
        home.setEnvironment("no_proxy", "127.0.0.1,localhost");
        home.setEnvironment("NO_PROXY", "127.0.0.1,localhost");
        testing::FakeBundleOptions options;
        options.bundleIdentifier = "com.openai.codex";
        options.behaviour.log = log;
        codex = testing::makeFakeBundle(home.path() / "Applications", "Codex", options);
        options.bundleIdentifier = "ai.openclaw.mac";
        openClaw = testing::makeFakeBundle(home.path() / "Applications", "OpenClaw", options);
        writeFile(config, kOwnLines);
        services.applicationTiming = ApplicationTiming{20ms, 100};
    }

    void SetUp() override {
        window.setActions(&session);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void TearDown() override {
        window.shutDown();
        testing::killBundleProcesses(codex);
        testing::killBundleProcesses(openClaw);
        UserDefaults().remove(configurationPathKey(Client::openClaw));
    }

    void fillIn(Client client, const std::string& model) {
        driver.clickClient(client);
        driver.type("address", QString::fromStdString(gateway.address()));
        driver.type("key", kKey);
        driver.type(driver.rowWidgets("modelID.")[0]->objectName(), QString::fromStdString(model));
    }

    // Presses a button of the alert that opens next.
    void answer(const QString& box, const QString& button) {
        QMessageBox* alert = driver.waitForBox(box);
        ASSERT_NE(alert, nullptr) << window.status();
        QTest::mouseClick(WindowDriver::buttonTitled(*alert, button), Qt::LeftButton);
    }

    void reselect(Client client) {
        driver.clickClient(Client::claude);
        driver.clickClient(client);
    }

    bool idle() { return !window.working() && !session.working(); }

    testing::TempHome home;
    testing::TestGateway gateway{{responsesCompleted()}};
    std::filesystem::path log = home.path() / "codex.log";
    std::filesystem::path codex;
    std::filesystem::path openClaw;
    std::filesystem::path config = home.path() / ".codex/config.toml";
    std::unique_ptr<Workspace> workspace = makeSystemWorkspace();
    WorkflowServices services{*workspace};
    SetupWindow window;
    SetupSession session{window, services};
    WindowDriver driver{window};
};

TEST_F(WindowApplyTest, AppliesThroughTheWindowRestartsOnConsentAndResetsAgain) {
    driver.clickClient(Client::codex);
    EXPECT_FALSE(driver.markedConfigured(Client::codex));
    EXPECT_EQ(driver.configuredLine(), std::nullopt);
    driver.type("address", QString::fromStdString(gateway.address()));
    driver.type("key", kKey);
    driver.type(driver.rowWidgets("modelID.")[0]->objectName(), "gpt-5-codex");
    QTest::keyClick(driver.find<QLineEdit>("key"), Qt::Key_Return);

    QMessageBox* question = driver.waitForBox("question");
    ASSERT_NE(question, nullptr) << window.status();
    EXPECT_EQ(question->text(), qText(testing::zh("workflow.restart.question.now-title",
                                                  {{"application", "Codex"}})));
    EXPECT_EQ(window.status(), testing::zh("workflow.apply.saved-after-restart"));
    EXPECT_TRUE(window.working());
    const std::string written = readFile(config);
    EXPECT_NE(written.find("corvane_desktop_setup"), std::string::npos) << written;
    EXPECT_NE(written.find("[history]"), std::string::npos) << written;

    QTest::mouseClick(WindowDriver::buttonTitled(
                          *question, qText(testing::zh("workflow.restart.question.restart-now"))),
                      Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return idle(); }, 20000)) << window.status();
    EXPECT_EQ(window.status(),
              testing::zh("workflow.restart.saved.reopened-new-chat", {{"application", "Codex"}}));
    EXPECT_FALSE(window.failed());
    EXPECT_EQ(window.form().key, "");
    EXPECT_EQ(window.form().address, gateway.address());
    ASSERT_EQ(gateway.requests().size(), 1u);
    EXPECT_EQ(gateway.requests()[0].header("Authorization"), std::string("Bearer ") + kKey);
    EXPECT_TRUE(testing::waitUntil([&] { return !testing::logLines(log).empty(); }));
    EXPECT_TRUE(driver.markedConfigured(Client::codex));
    EXPECT_EQ(driver.configuredLine(),
              qText(testing::zhCount("gui.header.configured", "gui.header.configured.plural", 1,
                                     {{"address", gateway.address()}})));

    // The reset, without restart, puts back the user's own file.
    driver.click("resetButton");
    QMessageBox* confirmation = driver.waitForBox("resetConfirmation");
    ASSERT_NE(confirmation, nullptr);
    QTest::mouseClick(WindowDriver::buttonTitled(
                          *confirmation, qText(testing::zh("workflow.reset.question.reset-later"))),
                      Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return idle() && !window.status().empty(); }, 20000));
    EXPECT_EQ(window.status(), testing::zh("workflow.reset.restored-after-restart"));
    EXPECT_FALSE(window.failed());
    EXPECT_EQ(window.form().address, "");
    EXPECT_EQ(readFile(config), kOwnLines);
    EXPECT_FALSE(driver.markedConfigured(Client::codex));
    EXPECT_EQ(driver.configuredLine(), std::nullopt);
}

TEST_F(WindowApplyTest, ThePreviewShowsTheDiffWithoutTheKeyAndChangesNothing) {
    fillIn(Client::codex, "gpt-5-codex");
    const auto before = testing::filesWithTimes(home.path());
    driver.click("previewButton");

    QDialog* dialog = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            dialog = driver.find<QDialog>("previewDialog");
            return dialog != nullptr && dialog->isVisible();
        },
        20000))
        << window.status();
    const QString diff = dialog->findChild<QPlainTextEdit*>("previewText")->toPlainText();
    EXPECT_TRUE(diff.contains("+++ ~/.codex/config.toml")) << diff.toStdString();
    EXPECT_TRUE(diff.contains("corvane_desktop_setup")) << diff.toStdString();
    EXPECT_FALSE(diff.contains(kKey));
    EXPECT_TRUE(idle());
    EXPECT_FALSE(window.failed());
    EXPECT_EQ(window.form().key, kKey);
    EXPECT_EQ(testing::filesWithTimes(home.path()), before);
    EXPECT_TRUE(testing::logLines(log).empty());
    EXPECT_FALSE(driver.markedConfigured(Client::codex));
    dialog->reject();
}

TEST_F(WindowApplyTest, AFailingGatewayLeavesTheFileAndTheKeyAndShowsRed) {
    testing::GatewayReply refused;
    refused.status = 401;
    refused.contentType = "application/json";
    refused.chunks.push_back({R"({"error":{"message":"bad key"}})"});
    fillIn(Client::codex, "gpt-5-codex");
    for (const char* button : {"mainButton", "previewButton"}) {
        SCOPED_TRACE(button);
        gateway.setScript({refused});
        driver.click(button);

        ASSERT_TRUE(QTest::qWaitFor([&] { return idle() && window.failed(); }, 20000))
            << window.status();
        EXPECT_FALSE(window.status().empty());
        EXPECT_EQ(window.form().key, kKey);
        EXPECT_EQ(readFile(config), kOwnLines);
        EXPECT_EQ(driver.find<QMessageBox>("question"), nullptr);
        EXPECT_EQ(driver.find<QDialog>("previewDialog"), nullptr);
    }
}

TEST_F(WindowApplyTest, TheChosenPathIsRememberedAfterSavingAndForgottenAfterTheReset) {
    const std::filesystem::path file = home.path() / "elsewhere/openclaw.json";
    writeFile(file, kOwnJson);
    gateway.setScript({chatCompleted()});
    fillIn(Client::openClaw, "deepseek-chat");
    driver.type("chosenPath", QString::fromStdString(file.string()));
    driver.click("mainButton");
    answer("question", qText(testing::zh("workflow.restart.question.restart-later")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return idle(); }, 20000)) << window.status();
    EXPECT_EQ(window.status(), testing::zh("workflow.apply.saved-after-restart"));
    EXPECT_NE(readFile(file).find("corvane-desktop"), std::string::npos);
    EXPECT_TRUE(testing::logLines(log).empty()) << "declined: OpenClaw was not started";
    EXPECT_TRUE(driver.markedConfigured(Client::openClaw)) << "read from the chosen file";

    reselect(Client::openClaw);
    EXPECT_EQ(window.form().chosenPath, file.string());

    driver.click("resetButton");
    answer("resetConfirmation", qText(testing::zh("workflow.reset.question.reset-later")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return idle() && !window.status().empty(); }, 20000));
    EXPECT_EQ(window.status(), testing::zh("workflow.reset.restored-after-restart"));
    EXPECT_EQ(window.form().chosenPath, "");
    EXPECT_EQ(nlohmann::json::parse(readFile(file)), nlohmann::json::parse(kOwnJson));
    reselect(Client::openClaw);
    EXPECT_EQ(window.form().chosenPath, "");
}

TEST_F(WindowApplyTest, ClosingTheWindowDuringTheCheckStopsAndJoinsTheTask) {
    testing::GatewayReply slow = responsesCompleted();
    slow.headDelay = 60s;
    gateway.setScript({slow});
    fillIn(Client::codex, "gpt-5-codex");
    driver.click("mainButton");
    const std::string checking =
        testing::zh("workflow.check.model-progress", {{"index", "1"}, {"total", "1"}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.status() == checking; }, 20000))
        << window.status();
    ASSERT_TRUE(session.working());

    window.close();

    EXPECT_FALSE(session.working());
    EXPECT_EQ(readFile(config), kOwnLines);
}

}  // namespace
}  // namespace corvane
