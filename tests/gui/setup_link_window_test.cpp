#include <gtest/gtest.h>

#include <QApplication>
#include <QFileOpenEvent>
#include <QLabel>
#include <QTest>

#include "gui/form_text.h"
#include "gui/setup_link_events.h"
#include "gui/setup_window.h"
#include "shown_window.h"
#include "support/catalogue_text.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

class SetupLinkWindowTest : public testing::ShownWindowTest {
protected:
    void SetUp() override {
        ShownWindowTest::SetUp();
        untouched = testing::filesWithTimes(home.path());
    }

    bool originShown() { return driver.find<QLabel>("linkOrigin")->isVisibleTo(&window); }

    // Nothing was written, checked or started.
    void expectNothingDone() {
        EXPECT_TRUE(actions.submitted.empty());
        EXPECT_TRUE(actions.tested.empty());
        EXPECT_TRUE(actions.fetched.empty());
        EXPECT_TRUE(actions.previewed.empty());
        EXPECT_TRUE(actions.resets.empty());
        EXPECT_EQ(testing::filesWithTimes(home.path()), untouched);
    }

    testing::TempHome home;
    testing::FilesWithTimes untouched;
};

TEST_F(SetupLinkWindowTest, ALinkFillsTheFormAndWritesNothing) {
    driver.type("key", "sk-typed");
    window.openLink(
        "corvane-setup://configure?client=openClaw&address=https%3A%2F%2Fgw.example.com%2Fapi"
        "&auth=x-api-key&model=gpt-5&name=GPT+Five&model=o3");

    EXPECT_EQ(window.client(), Client::openClaw);
    const SetupForm form = window.form();
    EXPECT_EQ(form.address, "https://gw.example.com/api");
    EXPECT_EQ(form.auth, "x-api-key");
    EXPECT_EQ(form.key, "");
    ASSERT_EQ(form.rows.size(), 2u);
    EXPECT_EQ(form.rows[0].modelID, "gpt-5");
    EXPECT_EQ(form.rows[0].displayName, "GPT Five");
    EXPECT_EQ(form.rows[1].modelID, "o3");
    EXPECT_TRUE(originShown());
    EXPECT_EQ(driver.find<QLabel>("linkOrigin")->text(),
              qText(testing::zh("gui.link.origin", {{"host", "gw.example.com"}})));
    EXPECT_EQ(window.status(), "");
    expectNothingDone();

    // The line stays while other fields change and goes with the address.
    driver.type("key", "sk-mine");
    EXPECT_TRUE(originShown());
    driver.type("address", "https://other.example.com");
    EXPECT_FALSE(originShown());
    expectNothingDone();

    // A link for the client already shown drops the typed key as well.
    window.openLink("corvane-setup://configure?client=openClaw&address=https://gw2.example.net");
    EXPECT_EQ(window.form().address, "https://gw2.example.net");
    EXPECT_EQ(window.form().key, "");
    expectNothingDone();
}

TEST_F(SetupLinkWindowTest, ARefusedLinkSaysWhyAndFillsNothing) {
    driver.type("address", "https://mine.example.com");
    window.openLink(
        "corvane-setup://configure?client=codex&address=https://gw.example.com"
        "&token=sk-from-link");

    EXPECT_EQ(window.client(), Client::claude);
    EXPECT_EQ(window.form().address, "https://mine.example.com");
    EXPECT_TRUE(window.failed());
    EXPECT_EQ(window.status(), testing::zh("workflow.link.holds-key"));
    EXPECT_FALSE(originShown());

    window.openLink("corvane-setup://configure?client=codex");
    EXPECT_EQ(window.status(), testing::zh("workflow.link.address-missing"));
    EXPECT_EQ(window.client(), Client::claude);
    expectNothingDone();
}

TEST_F(SetupLinkWindowTest, TheSystemsOpenEventReachesTheWindow) {
    SetupLinkEvents events(window);
    qApp->installEventFilter(&events);
    QFileOpenEvent opened(
        QUrl("corvane-setup://configure?client=hermes&address=https://gw.example.com&model=h1"));
    QCoreApplication::sendEvent(qApp, &opened);
    qApp->removeEventFilter(&events);

    EXPECT_EQ(window.client(), Client::hermes);
    EXPECT_EQ(window.form().rows.front().modelID, "h1");
    EXPECT_TRUE(originShown());
    expectNothingDone();
}

}  // namespace
}  // namespace corvane
