#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "gui/alerts.h"
#include "gui/form_text.h"
#include "gui/setup_window.h"
#include "shown_window.h"
#include "support/catalogue_text.h"

namespace corvane {
namespace {

using testing::WindowDriver;

const std::filesystem::path kBundle = "/Applications/Example.app";

QString zh(std::string_view id) { return qText(testing::zh(id)); }

struct AlertCase {
    Client client;
    bool installed;
    QStringList buttons;
};

class ResetConfirmationTest : public testing::ShownWindowTest {
protected:
    const QString kCancel = zh("workflow.question.cancel");
    const QString kReset = zh("workflow.reset.question.reset");
    const QString kResetRestart = zh("workflow.reset.question.reset-restart");
    const QString kResetLater = zh("workflow.reset.question.reset-later");

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
    const QStringList three{kResetRestart, kResetLater, kCancel};
    const QStringList restartOnly{kResetRestart, kCancel};
    const QStringList notInstalled{kReset, kCancel};
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
        EXPECT_EQ(box->text().toStdString(), testing::zh("workflow.reset.question.title",
                                                         {{"client", clientLabel(entry.client)}}));
        EXPECT_EQ(box->informativeText(), zh("workflow.reset.question.text"));
        EXPECT_EQ(WindowDriver::buttonTitles(*box), entry.buttons);
        EXPECT_EQ(box->escapeButton()->text(), kCancel);
        box->reject();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return driver.find<QMessageBox>("resetConfirmation") == nullptr; }));
    }
    EXPECT_TRUE(actions.resets.empty());
}

TEST_F(ResetConfirmationTest, EachButtonRunsTheResetWithOrWithoutRestart) {
    actions.installed = kBundle;
    answer(Client::openClaw, kResetRestart);
    answer(Client::openClaw, kResetLater);
    answer(Client::openClaw, kCancel);
    actions.installed.reset();
    answer(Client::openClaw, kReset);
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
