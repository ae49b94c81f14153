#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextDocumentFragment>

#include "gui/form_text.h"
#include "gui/gateway_models_dialog.h"
#include "gui/setup_window.h"
#include "model/text.h"
#include "recording_actions.h"
#include "support/catalogue_text.h"
#include "window_driver.h"

namespace corvane {
namespace {

class GatewayProbeControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.setActions(&actions);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    bool shown(const QString& name) {
        auto* widget = driver.find<QWidget>(name);
        return widget != nullptr && widget->isVisibleTo(&window);
    }

    QLabel* mark(std::size_t row) {
        QCoreApplication::processEvents();
        return driver.find<QLabel>(QString::fromStdString("mark." + window.form().rows[row].id));
    }

    testing::RecordingActions actions;
    SetupWindow window;
    testing::WindowDriver driver{window};
};

TEST_F(GatewayProbeControlsTest, ButtonsAppearWhereTheyApplyAndHandTheFormOver) {
    for (Client client : allClients()) {
        driver.clickClient(client);
        EXPECT_EQ(shown("fetchModelsButton"), supportsMultiple(client)) << rawValue(client);
        EXPECT_EQ(shown("testConnectionButton"), client != Client::cursor) << rawValue(client);
    }
    driver.clickClient(Client::openCode);
    driver.type("address", "https://gw.example.com");
    driver.click("testConnectionButton");
    driver.click("fetchModelsButton");
    ASSERT_EQ(actions.tested.size(), 1u);
    EXPECT_EQ(actions.tested[0].address, "https://gw.example.com");
    ASSERT_EQ(actions.fetched.size(), 1u);
    EXPECT_EQ(actions.fetched[0].client, Client::openCode);

    window.setWorking(true);
    EXPECT_FALSE(driver.find<QPushButton>("testConnectionButton")->isEnabled());
    EXPECT_FALSE(driver.find<QPushButton>("fetchModelsButton")->isEnabled());
}

TEST_F(GatewayProbeControlsTest, EachTestedRowGetsItsMarkUntilItsIdChanges) {
    driver.clickClient(Client::openCode);
    driver.click("addModelButton");
    const QList<QWidget*> ids = driver.rowWidgets("modelID.");
    driver.type(ids[0]->objectName(), "m-a");
    driver.type(ids[1]->objectName(), "m-b");
    driver.click("testConnectionButton");

    ModelCheck passed;
    passed.passed = true;
    passed.httpStatus = 200;
    passed.firstEvent = std::chrono::milliseconds(12);
    passed.terminalEvent = std::chrono::milliseconds(34);
    ModelCheck failed;
    // A model's name as a gateway listed it, which looks like HTML.
    failed.message =
        testing::zh("check.model.http-check-key", {{"model", "<b>m-b</b>\u202e"}, {"code", "401"}});
    failed.httpStatus = 401;
    std::thread worker([&] {
        window.showModelCheck(0, passed);
        window.showModelCheck(1, failed);
    });
    worker.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return mark(1) != nullptr; }));
    EXPECT_EQ(mark(0)->text(), "✓ 12 / 34 ms");
    // What the tooltips show, as the user reads them.
    const auto shown = [](const QLabel* label) {
        return QTextDocumentFragment::fromHtml(label->toolTip()).toPlainText().toStdString();
    };
    EXPECT_EQ(shown(mark(0)), testing::zh("check.times", {{"first", "12 ms"}, {"last", "34 ms"}}));
    EXPECT_EQ(mark(1)->text(), "✗");
    EXPECT_EQ(shown(mark(1)), displayable(failed.message));
    EXPECT_EQ(mark(1)->accessibleDescription().toStdString(), displayable(failed.message));

    driver.type(ids[0]->objectName(), "-edited");
    EXPECT_FALSE(mark(0) != nullptr && mark(0)->isVisible());
    EXPECT_TRUE(mark(1)->isVisible());
}

TEST_F(GatewayProbeControlsTest, ChosenModelsFillTheRowsWithTheirNames) {
    driver.clickClient(Client::openCode);
    window.showGatewayModels({{"claude-a", "Claude A"}, {"gpt-b", std::nullopt}, {"gpt-c", "C"}});
    GatewayModelsDialog* dialog = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        dialog = window.findChild<GatewayModelsDialog*>("gatewayModelsDialog");
        return dialog != nullptr && dialog->isVisible();
    }));
    auto* list = dialog->findChild<QListWidget*>("gatewayModelsList");
    QTest::keyClicks(dialog->findChild<QLineEdit*>("gatewayModelsSearch"), "GPT");
    std::vector<QString> visible;
    for (int row = 0; row < list->count(); ++row) {
        if (!list->item(row)->isHidden()) visible.push_back(list->item(row)->text());
    }
    EXPECT_EQ(visible, (std::vector<QString>{
                           "gpt-b", qText(testing::zh("gui.gateway-models.line",
                                                      {{"id", "gpt-c"}, {"name", "C"}}))}));
    auto* add = dialog->findChild<QPushButton*>("gatewayModelsAdd");
    EXPECT_FALSE(add->isEnabled());
    dialog->setChecked("gpt-c", true);
    dialog->setChecked("claude-a", true);
    EXPECT_EQ(add->text(), qText(testing::zhCount("gui.gateway-models.add-count",
                                                  "gui.gateway-models.add-count.plural", 2)));
    QTest::mouseClick(add, Qt::LeftButton);

    ASSERT_TRUE(QTest::qWaitFor([&] { return window.form().rows.size() == 2; }));
    EXPECT_EQ(window.form().rows[0].modelID, "claude-a");
    EXPECT_EQ(window.form().rows[0].displayName, "Claude A");
    EXPECT_EQ(window.form().rows[1].modelID, "gpt-c");
    EXPECT_EQ(window.form().rows[1].displayName, "C");
}

}  // namespace
}  // namespace corvane
