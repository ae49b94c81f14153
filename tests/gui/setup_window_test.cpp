#include "gui/setup_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "defaults/user_defaults.h"
#include "gui/form_text.h"
#include "model/text.h"
#include "recording_actions.h"
#include "support/catalogue_text.h"
#include "support/temp_home.h"
#include "window_driver.h"

namespace corvane {
namespace {

using testing::RecordingActions;
using testing::WindowDriver;

class SetupWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.setActions(&actions);
        window.setOpenURL([this](const QUrl& url) {
            opened.push_back(url.toString());
            return opens;
        });
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void TearDown() override {
        for (Client client : allClients()) UserDefaults().remove(configurationPathKey(client));
    }

    bool shown(const QString& name) {
        auto* widget = driver.find<QWidget>(name);
        return widget != nullptr && widget->isVisibleTo(&window);
    }

    QString text(const QString& name) { return driver.find<QLineEdit>(name)->text(); }

    RecordingActions actions;
    SetupWindow window;
    WindowDriver driver{window};
    std::vector<QString> opened;
    bool opens = true;
};

TEST_F(SetupWindowTest, StartsWithTheWindowFrameAndABlankFormForClaude) {
    EXPECT_EQ(window.windowTitle(), "AI reru");
    EXPECT_EQ(window.size(), QSize(870, 550));
    EXPECT_EQ(window.minimumSize(), QSize(775, 490));
    EXPECT_EQ(window.client(), Client::claude);
    EXPECT_EQ(driver.find<QLabel>("clientName")->text(), "Claude");
    EXPECT_EQ(driver.find<QLabel>("versionLine")->text(),
              qText(testing::zh("gui.app.version", {{"version", "9.8.7"}})));
    const SetupForm form = window.form();
    EXPECT_EQ(form.address, "");
    EXPECT_EQ(form.auth, "bearer");
    ASSERT_EQ(form.rows.size(), 1u);
    EXPECT_EQ(form.rows[0].modelID, "");
    EXPECT_EQ(form.chosenPath, "");
}

TEST_F(SetupWindowTest, SelectingTheSelectedClientAgainKeepsEverythingTyped) {
    driver.type("address", "https://gw.example.com");
    driver.type("key", "sk-secret");
    driver.chooseAuth("x-api-key");
    const QString modelField = driver.rowWidgets("modelID.").front()->objectName();
    driver.type(modelField, "gpt-4o");
    window.setFailed(true);
    window.setStatus(testing::zh("workflow.form.check-entries"));

    driver.clickClient(Client::claude);

    const SetupForm form = window.form();
    EXPECT_EQ(form.address, "https://gw.example.com");
    EXPECT_EQ(form.key, "sk-secret");
    EXPECT_EQ(form.auth, "x-api-key");
    EXPECT_EQ(form.rows[0].modelID, "gpt-4o");
    EXPECT_EQ(window.status(), testing::zh("workflow.form.check-entries"));
    EXPECT_TRUE(window.failed());
}

TEST_F(SetupWindowTest, AnotherClientClearsTheFormAndLoadsItsRememberedPath) {
    UserDefaults().setValue(configurationPathKey(Client::openClaw), "/srv/openclaw/openclaw.json");
    driver.type("address", "https://gw.example.com");
    driver.type("key", "sk-secret");
    driver.chooseAuth("x-api-key");
    driver.click("addModelButton");
    window.setFailed(true);
    window.setStatus(testing::zh("workflow.form.check-entries"));

    driver.clickClient(Client::openClaw);

    EXPECT_EQ(window.client(), Client::openClaw);
    const SetupForm form = window.form();
    EXPECT_EQ(form.client, Client::openClaw);
    EXPECT_EQ(form.address, "");
    EXPECT_EQ(form.key, "");
    EXPECT_EQ(form.auth, "bearer");
    ASSERT_EQ(form.rows.size(), 1u);
    EXPECT_EQ(form.rows[0].modelID, "");
    EXPECT_EQ(form.chosenPath, "/srv/openclaw/openclaw.json");
    EXPECT_EQ(window.status(), "");
    EXPECT_FALSE(window.failed());
    EXPECT_TRUE(driver.find<QListWidget>("clientList")->currentItem()->font().bold());

    // A client with nothing remembered shows an empty path, not the last one.
    driver.clickClient(Client::hermes);
    EXPECT_EQ(window.form().chosenPath, "");
}

struct ConfiguredCase {
    Client client;
    bool marked;
    std::optional<QString> line;
};

TEST_F(SetupWindowTest, ConfiguredClientsAreMarkedAndNamedAsTheFilesStoodAfterTheLastRun) {
    // As the client's file gives it, which looks like HTML.
    const std::string address = "https://gw.example.com<b>x</b>\u202e";
    ClientConfigurationStatus codex{true, address, {"gpt-5-codex", "o3"}, {}};
    ClientConfigurationStatus hermes{true, std::nullopt, {}, {}};  // its YAML is not read
    ClientConfigurationStatus openClaw{false, "https://old.example.com", {"m"}, {}};
    actions.statuses = {
        {Client::codex, codex}, {Client::hermes, hermes}, {Client::openClaw, openClaw}};
    EXPECT_FALSE(driver.markedConfigured(Client::codex)) << "read at the start and after runs";

    window.setWorking(true);
    window.setWorking(false);
    const ConfiguredCase cases[] = {
        {Client::claude, false, std::nullopt},
        {Client::codex, true,
         qText(displayable(testing::zhCount("gui.header.configured", "gui.header.configured.plural",
                                            2, {{"address", address}})))},
        {Client::openClaw, false, std::nullopt},
        {Client::hermes, true, std::nullopt},
        {Client::cursor, false, std::nullopt},
    };
    for (const ConfiguredCase& entry : cases) {
        SCOPED_TRACE(std::string(rawValue(entry.client)));
        driver.clickClient(entry.client);
        EXPECT_EQ(driver.markedConfigured(entry.client), entry.marked);
        EXPECT_EQ(driver.configuredLine(), entry.line);
    }
    EXPECT_EQ(driver.find<QLabel>("configuredLine")->textFormat(), Qt::PlainText);

    actions.statuses.clear();
    window.setWorking(true);
    window.setWorking(false);
    driver.clickClient(Client::codex);
    EXPECT_FALSE(driver.markedConfigured(Client::codex));
    EXPECT_EQ(driver.configuredLine(), std::nullopt);
}

struct Layout {
    Client client;
    bool authRow;
    bool pathRow;
    const char* pathPrompt;
    bool displayNames;
    bool multipleRows;
    std::string hint;
    std::string mainButton;
};

TEST_F(SetupWindowTest, EachClientShowsItsOwnRowsAndButtons) {
    const std::string usual = testing::zh("workflow.models.hint");
    const std::string restart = testing::zh("workflow.button.apply-restart");
    const Layout layouts[] = {
        {Client::claude, true, false, "", true, true, usual, restart},
        {Client::codex, true, false, "", true, true, testing::zh("workflow.models.hint-codex"),
         restart},
        {Client::openCode, true, false, "", true, true, usual, restart},
        {Client::openClaw, true, true, "~/.openclaw/openclaw.json", true, true, usual, restart},
        {Client::workBuddy, false, true, "~/.workbuddy/models.json", false, true, usual, restart},
        {Client::hermes, false, true, "~/.hermes/config.yaml", false, false, usual, restart},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(std::string(rawValue(layout.client)));
        driver.clickClient(layout.client);
        EXPECT_EQ(driver.find<QLabel>("clientName")->text(), qText(clientLabel(layout.client)));
        EXPECT_TRUE(shown("address"));
        EXPECT_TRUE(shown("key"));
        EXPECT_EQ(shown("auth"), layout.authRow);
        EXPECT_EQ(shown("chosenPath"), layout.pathRow);
        EXPECT_EQ(shown("choosePath"), layout.pathRow);
        if (layout.pathRow) {
            EXPECT_EQ(driver.find<QLineEdit>("chosenPath")->placeholderText(), layout.pathPrompt);
        }
        EXPECT_EQ(driver.rowWidgets("displayName.").size(), layout.displayNames ? 1 : 0);
        EXPECT_EQ(driver.rowWidgets("remove.").size(), layout.multipleRows ? 1 : 0);
        EXPECT_EQ(shown("addModelButton"), layout.multipleRows);
        EXPECT_EQ(driver.find<QLabel>("modelHint")->text(), qText(layout.hint));
        EXPECT_FALSE(shown("cursorGuide"));
        EXPECT_TRUE(shown("resetButton"));
        EXPECT_TRUE(shown("previewButton"));
        EXPECT_EQ(driver.find<QPushButton>("mainButton")->text(), qText(layout.mainButton));
    }
}

TEST_F(SetupWindowTest, CursorShowsGuidanceAndOnlyTheOpenButton) {
    driver.clickClient(Client::cursor);
    EXPECT_TRUE(shown("cursorGuide"));
    EXPECT_FALSE(shown("address"));
    EXPECT_FALSE(shown("addModelButton"));
    EXPECT_FALSE(shown("resetButton"));
    EXPECT_FALSE(shown("previewButton"));
    QStringList guide;
    for (QLabel* label : driver.find<QWidget>("cursorGuide")->findChildren<QLabel*>()) {
        guide.append(label->text());
    }
    EXPECT_EQ(guide, QStringList({qText(testing::zh("gui.cursor-guide.heading")),
                                  "Settings → Models → API Keys",
                                  qText(testing::zh("gui.cursor-guide.needs-custom-keys"))}));
    auto* main = driver.find<QPushButton>("mainButton");
    EXPECT_EQ(main->text(), qText(testing::zh("workflow.button.open-app")));
    driver.click("mainButton");
    ASSERT_EQ(actions.submitted.size(), 1u);
    EXPECT_EQ(actions.submitted[0].client, Client::cursor);
}

TEST_F(SetupWindowTest, RemoveIsDisabledAtOneRowAndRemovesOnlyItsRow) {
    driver.clickClient(Client::codex);
    ASSERT_EQ(driver.rowWidgets("remove.").size(), 1);
    EXPECT_FALSE(driver.rowWidgets("remove.")[0]->isEnabled());
    EXPECT_EQ(driver.rowWidgets("remove.")[0]->accessibleName(),
              qText(testing::zh("gui.model-rows.remove")));

    driver.click("addModelButton");
    driver.click("addModelButton");
    const QList<QWidget*> ids = driver.rowWidgets("modelID.");
    ASSERT_EQ(ids.size(), 3);
    driver.type(ids[0]->objectName(), "first");
    driver.type(ids[1]->objectName(), "second");
    driver.type(ids[2]->objectName(), "third");
    for (QWidget* remove : driver.rowWidgets("remove.")) EXPECT_TRUE(remove->isEnabled());

    QTest::mouseClick(static_cast<QAbstractButton*>(driver.rowWidgets("remove.")[1]),
                      Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.form().rows.size() == 2; }));
    std::vector<std::string> left;
    for (const ModelRow& row : window.form().rows) left.push_back(row.modelID);
    EXPECT_EQ(left, (std::vector<std::string>{"first", "third"}));

    QTest::mouseClick(static_cast<QAbstractButton*>(driver.rowWidgets("remove.")[0]),
                      Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.form().rows.size() == 1; }));
    EXPECT_EQ(window.form().rows[0].modelID, "third");
    ASSERT_EQ(driver.rowWidgets("remove.").size(), 1);
    EXPECT_FALSE(driver.rowWidgets("remove.")[0]->isEnabled());
}

TEST_F(SetupWindowTest, ReturnSubmitsTheFormAsTypedWithBearerWhereAuthIsHidden) {
    for (Client client : {Client::hermes, Client::workBuddy}) {
        SCOPED_TRACE(std::string(rawValue(client)));
        actions.submitted.clear();
        driver.clickClient(client);
        driver.type("address", "https://gw.example.com/v1");
        driver.type("key", "sk-secret");
        driver.type(driver.rowWidgets("modelID.")[0]->objectName(), "deepseek-chat");
        QTest::keyClick(driver.find<QLineEdit>("key"), Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !actions.submitted.empty(); }));
        ASSERT_EQ(actions.submitted.size(), 1u);
        const SetupForm& form = actions.submitted[0];
        EXPECT_EQ(form.client, client);
        EXPECT_EQ(form.address, "https://gw.example.com/v1");
        EXPECT_EQ(form.key, "sk-secret");
        EXPECT_EQ(form.auth, "bearer");
        EXPECT_EQ(form.rows[0].modelID, "deepseek-chat");
    }
}

TEST_F(SetupWindowTest, WhileWorkingTheSidebarAndBothButtonsRefuse) {
    window.setWorking(true);
    EXPECT_FALSE(driver.find<QWidget>("sidebar")->isEnabled());
    EXPECT_FALSE(driver.find<QPushButton>("resetButton")->isEnabled());
    EXPECT_FALSE(driver.find<QPushButton>("mainButton")->isEnabled());
    EXPECT_TRUE(shown("spinner"));

    driver.clickClient(Client::codex);
    QTest::keyClick(driver.find<QLineEdit>("address"), Qt::Key_Return);
    window.submit();
    window.confirmReset();
    window.resetConfiguration(std::nullopt);
    EXPECT_EQ(window.client(), Client::claude);
    EXPECT_TRUE(actions.submitted.empty());
    EXPECT_TRUE(actions.resets.empty());
    EXPECT_TRUE(actions.installedAskedFor.empty());

    window.setWorking(false);
    EXPECT_TRUE(driver.find<QWidget>("sidebar")->isEnabled());
    EXPECT_FALSE(shown("spinner"));
}

TEST_F(SetupWindowTest, AFailedStatusIsRedAndOthersAreNot) {
    auto* line = driver.find<QLabel>("statusLine");
    window.setStatus(testing::zh("workflow.apply.saved-after-restart"));
    const QColor plain = line->palette().color(QPalette::WindowText);
    window.setFailed(true);
    const std::string installFirst =
        testing::zh("workflow.apply.install-first", {{"client", "Codex"}});
    window.setStatus(installFirst);
    EXPECT_EQ(line->text(), qText(installFirst));
    const QColor red = line->palette().color(QPalette::WindowText);
    EXPECT_GT(red.red(), 150);
    EXPECT_LT(red.green(), 100);
    window.setFailed(false);
    EXPECT_EQ(line->palette().color(QPalette::WindowText), plain);
    EXPECT_NE(plain, red);
}

TEST_F(SetupWindowTest, FailureDetailOpensOnRequestAndGoesWithTheFailure) {
    auto* toggle = driver.find<QToolButton>("failureDetailToggle");
    auto* text = driver.find<QLabel>("failureDetailText");
    ASSERT_NE(toggle, nullptr);
    EXPECT_FALSE(toggle->isVisible());

    const std::string failed = testing::zh("workflow.apply.failed");
    window.fail(failed, "read: Is a directory [/home/u/x.json]");
    EXPECT_EQ(driver.find<QLabel>("statusLine")->text(), qText(failed));
    EXPECT_TRUE(window.failed());
    EXPECT_TRUE(toggle->isVisible());
    EXPECT_EQ(toggle->text(), qText(testing::zh("gui.failure.details")));
    EXPECT_FALSE(text->isVisible());
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_TRUE(text->isVisible());
    EXPECT_EQ(text->text(), "read: Is a directory [/home/u/x.json]");

    window.fail(testing::zh("workflow.apply.install-first", {{"client", "Codex"}}), "");
    EXPECT_FALSE(toggle->isVisible());
    window.fail(failed, "write: No space left on device");
    EXPECT_TRUE(toggle->isVisible());
    EXPECT_FALSE(text->isVisible());
    window.setFailed(false);
    EXPECT_FALSE(toggle->isVisible());
}

TEST_F(SetupWindowTest, DownloadLinkOrMenuOpensTheVendorPages) {
    auto* link = driver.find<QPushButton>("downloadControl");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->text(), qText(testing::zh("gui.download.entry", {{"name", "Claude"}})));
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(opened, std::vector<QString>{"https://claude.ai/download"});

    driver.clickClient(Client::cursor);
    auto* menuButton = driver.find<QPushButton>("downloadControl");
    ASSERT_NE(menuButton, nullptr);
    EXPECT_EQ(menuButton->text(), qText(testing::zh("gui.download.button")));
    QStringList entries;
    for (QAction* action : menuButton->menu()->actions()) entries.append(action->text());
    EXPECT_EQ(entries,
              QStringList({qText(testing::zh("gui.download.entry", {{"name", "Cursor"}})),
                           qText(testing::zh("gui.download.entry", {{"name", "Grok Build"}}))}));
    menuButton->menu()->actions()[1]->trigger();
    EXPECT_EQ(opened.back(), "https://cursor.com/download");
    EXPECT_EQ(window.status(), "");

    opens = false;
    menuButton->menu()->actions()[0]->trigger();
    EXPECT_TRUE(window.failed());
    EXPECT_EQ(window.status(), testing::zh("gui.status.download-page-unopened",
                                           {{"url", "https://cursor.com/downloads"}}));
}

TEST_F(SetupWindowTest, TabWalksTheFormInReadingOrder) {
    driver.clickClient(Client::openClaw);
    driver.click("addModelButton");
    driver.find<QLineEdit>("address")->setFocus();
    QStringList order;
    for (int step = 0; step < 20; ++step) {
        QWidget* focused = QApplication::focusWidget();
        order.append(focused->objectName().section('.', 0, 0));
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    EXPECT_EQ(order, QStringList({"address",
                                  "key",
                                  "auth",
                                  "chosenPath",
                                  "choosePath",
                                  "modelID",
                                  "displayName",
                                  "remove",
                                  "modelID",
                                  "displayName",
                                  "remove",
                                  "addModelButton",
                                  "fetchModelsButton",
                                  "testConnectionButton",
                                  "previewButton",
                                  "resetButton",
                                  "mainButton",
                                  "clientList",
                                  "downloadControl",
                                  "address"}));
}

TEST_F(SetupWindowTest, TheOpenPanelPicksOneFileAndCancelKeepsThePath) {
    testing::TempHome home;
    const std::filesystem::path file = home.path() / ".hermes/config.yaml";
    testing::writeFile(file, "model: {}\n");
    driver.clickClient(Client::hermes);
    driver.type("chosenPath", "/kept/config.yaml");

    driver.click("choosePath");
    auto* panel = driver.find<QFileDialog>("openPanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->fileMode(), QFileDialog::ExistingFile);
    // The platform's own chooser (the portal on Linux) wherever there is one.
    EXPECT_FALSE(panel->testOption(QFileDialog::DontUseNativeDialog));
    panel->reject();
    EXPECT_EQ(text("chosenPath"), "/kept/config.yaml");
    ASSERT_TRUE(QTest::qWaitFor([&] { return driver.find<QFileDialog>("openPanel") == nullptr; }));

    driver.find<QLineEdit>("chosenPath")->clear();
    driver.click("choosePath");
    panel = driver.find<QFileDialog>("openPanel");
    ASSERT_NE(panel, nullptr);
    // With nothing typed the panel starts in the folder of the client's file.
    EXPECT_EQ(panel->directory().absolutePath().toStdString(), file.parent_path().string());
    panel->selectFile(QString::fromStdString(file.string()));
    static_cast<QDialog*>(panel)->accept();
    EXPECT_EQ(text("chosenPath").toStdString(), file.string());
    EXPECT_EQ(window.form().chosenPath, file.string());
}

}  // namespace
}  // namespace corvane
