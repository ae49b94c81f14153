#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "gui/alerts.h"
#include "gui/setup_window.h"
#include "shown_window.h"

namespace corvane {
namespace {

using testing::WindowDriver;

const std::filesystem::path kBundle = "/Applications/Example.app";

struct AlertCase {
    Client client;
    bool installed;
    QStringList buttons;
};

class ResetConfirmationTest : public testing::ShownWindowTest {
protected:
    // Opens the alert with the reset button and presses one of its buttons.
    void answer(Client client, const QString& title) {
        driver.clickClient(client);
        driver.click("resetButton");
        QMessageBox* box = driver.waitForBox("resetConfirmation");
        ASSERT_NE(box, nullptr);
        QAbstractButton* button = WindowDriver::buttonTitled(*box, title);
        ASSERT_NE(button, nullptr) << title.toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return driver.find<QMessageBox>("resetConfirmation") == nullptr; }));
    }
};

TEST_F(ResetConfirmationTest, OffersButtonsByClientAndInstalledApplication) {
    const QStringList three{"恢复并重启", "仅恢复，稍后重启", "取消"};
    const QStringList restartOnly{"恢复并重启", "取消"};
    const QStringList notInstalled{"恢复初始设置", "取消"};
    const AlertCase cases[] = {
        {Client::claude, true, restartOnly},
        {Client::workBuddy, true, restartOnly},
        {Client::codex, true, three},
        {Client::openCode, true, three},
        {Client::openClaw, true, three},
        {Client::hermes, true, three},
        {Client::claude, false, notInstalled},
        {Client::workBuddy, false, notInstalled},
        {Client::openClaw, false, notInstalled},
        {Client::hermes, false, notInstalled},
    };
    for (const AlertCase& entry : cases) {
        const std::string name(rawValue(entry.client));
        SCOPED_TRACE(name + (entry.installed ? " installed" : " not installed"));
        actions.installed = entry.installed ? std::optional(kBundle) : std::nullopt;
        driver.clickClient(entry.client);
        driver.click("resetButton");
        QMessageBox* box = driver.waitForBox("resetConfirmation");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text().toStdString(), "恢复 " + name + " 的配置？");
        EXPECT_EQ(box->informativeText(),
                  "将移除本工具写入的配置，并恢复此前的默认设置。重启前请保存该应用中的工作。");
        EXPECT_EQ(WindowDriver::buttonTitles(*box), entry.buttons);
        EXPECT_EQ(box->escapeButton()->text(), "取消");
        box->reject();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return driver.find<QMessageBox>("resetConfirmation") == nullptr; }));
    }
    EXPECT_TRUE(actions.resets.empty());
}

TEST_F(ResetConfirmationTest, EachButtonRunsTheResetWithOrWithoutRestart) {
    actions.installed = kBundle;
    answer(Client::openClaw, "恢复并重启");
    answer(Client::openClaw, "仅恢复，稍后重启");
    answer(Client::openClaw, "取消");
    actions.installed.reset();
    answer(Client::openClaw, "恢复初始设置");
    ASSERT_EQ(actions.resets.size(), 3u);
    EXPECT_EQ(actions.resets[0], kBundle);
    EXPECT_EQ(actions.resets[1], std::nullopt);
    EXPECT_EQ(actions.resets[2], std::nullopt);
}

TEST_F(ResetConfirmationTest, ReturnInTheAlertCancelsRatherThanResets) {
    actions.installed = kBundle;
    driver.clickClient(Client::codex);
    driver.click("resetButton");
    QMessageBox* box = driver.waitForBox("resetConfirmation");
    ASSERT_NE(box, nullptr);
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return driver.find<QMessageBox>("resetConfirmation") == nullptr; }));
    EXPECT_TRUE(actions.resets.empty());
}

TEST_F(ResetConfirmationTest, CursorHasNoReset) {
    driver.clickClient(Client::cursor);
    window.confirmReset();
    window.resetConfiguration(std::nullopt);
    EXPECT_EQ(driver.find<QMessageBox>("resetConfirmation"), nullptr);
    EXPECT_TRUE(actions.resets.empty());
    EXPECT_TRUE(actions.installedAskedFor.empty());
}

}  // namespace
}  // namespace corvane
