// The window for a user whose language is English: the same states as in
// Chinese, in English words and with the clients' English names.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "chosen_language.h"
#include "gui/form_text.h"
#include "gui/setup_window.h"
#include "recording_actions.h"
#include "support/catalogue_text.h"
#include "window_driver.h"

namespace corvane {
namespace {

using testing::en;
using testing::enCount;

// A shown window, built after English is chosen, as the program builds it
// after reading the user's languages.
struct EnglishWindow {
    EnglishWindow() {
        window.setActions(&actions);
        window.show();
    }

    // Every text the window shows right now, keyed by where it is shown.
    std::map<std::string, QString> shownTexts() const {
        std::map<std::string, QString> texts;
        const auto keep = [&](const QWidget& widget, const char* what, const QString& text) {
            if (text.isEmpty()) return;
            texts[widget.objectName().toStdString() + " " + what + " " + text.toStdString()] = text;
        };
        for (const QWidget* widget : window.findChildren<QWidget*>()) {
            if (!widget->isVisibleTo(&window)) continue;
            if (auto* label = qobject_cast<const QLabel*>(widget))
                keep(*label, "text", label->text());
            if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
                keep(*button, "text", button->text());
            }
            if (auto* field = qobject_cast<const QLineEdit*>(widget)) {
                keep(*field, "prompt", field->placeholderText());
            }
            keep(*widget, "tooltip", widget->toolTip());
            keep(*widget, "accessible name", widget->accessibleName());
        }
        auto* list = driver.find<QListWidget>(QStringLiteral("clientList"));
        for (int row = 0; row < list->count(); ++row) {
            keep(*list, "row", list->item(row)->text());
            keep(*list, "row note", list->item(row)->data(Qt::ToolTipRole).toString());
        }
        return texts;
    }

    testing::ChosenLanguage english{Language::english};
    testing::RecordingActions actions;
    SetupWindow window;
    testing::WindowDriver driver{window};
};

struct EnglishCase {
    const char* name;
    std::function<void(EnglishWindow&)> act;
    // Object name -> the text it shows.
    std::map<QString, std::string> expected;
};

// A question box shows its title, its text and its buttons, one a line.
QString shownText(QWidget* widget) {
    if (auto* box = qobject_cast<QMessageBox*>(widget)) {
        return QStringList({box->text(), box->informativeText(),
                            testing::WindowDriver::buttonTitles(*box).join(" | ")})
            .join('\n');
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    return widget ? widget->toolTip() : QStringLiteral("(missing)");
}

// Codex as the files show it after a run that pointed it at the gateway.
std::function<void(EnglishWindow&)> configuredCodex(std::vector<std::string> models) {
    return [models](EnglishWindow& shown) {
        shown.actions.statuses = {{Client::codex, {true, "https://gw.example.com", models, {}}}};
        shown.window.setWorking(true);
        shown.window.setWorking(false);
        shown.driver.clickClient(Client::codex);
    };
}

TEST(EnglishWindow, EveryStateReadsInEnglishWithTheClientsEnglishNames) {
    const EnglishCase cases[] = {
        {"OpenClaw's form",
         [](auto& t) { t.driver.clickClient(Client::openClaw); },
         {{"clientName", en("model.client.name.openClaw")},
          {"versionLine", en("gui.app.version", {{"version", "9.8.7"}})},
          {"fetchModelsButton", en("gui.probe.fetch-models")},
          {"testConnectionButton", en("gui.probe.test-connection")},
          {"previewButton", en("gui.preview.title")},
          {"addModelButton", en("gui.model-rows.add")},
          {"resetButton", en("workflow.reset.question.reset")},
          {"modelHint", en("workflow.models.hint")},
          {"mainButton", en("workflow.button.apply-restart")}}},
        {"a configured client with one model",
         configuredCodex({"o3"}),
         {{"configuredLine", enCount("gui.header.configured", "gui.header.configured.plural", 1,
                                     {{"address", "https://gw.example.com"}})},
          {"modelHint", en("workflow.models.hint-codex")}}},
        {"a configured client with two models",
         configuredCodex({"o3", "o4"}),
         {{"configuredLine", enCount("gui.header.configured", "gui.header.configured.plural", 2,
                                     {{"address", "https://gw.example.com"}})}}},
        {"the reset question for an installed client",
         [](auto& t) {
             t.actions.installed = "/Applications/Codex.app";
             t.driver.clickClient(Client::codex);
             t.driver.click("resetButton");
             t.driver.waitForBox("resetConfirmation");
         },
         {{"resetConfirmation",
           en("workflow.reset.question.title", {{"client", en("model.client.name.codex")}}) + "\n" +
               en("workflow.reset.question.text") + "\n" +
               en("workflow.reset.question.reset-restart") + " | " +
               en("workflow.reset.question.reset-later") + " | " +
               en("workflow.question.cancel")}}},
        {"a client found only as a command-line program",
         [](auto& t) {
             t.actions.installations = {{Client::codex, Installation::commandLineOnly}};
             t.window.setWorking(true);
             t.window.setWorking(false);
             t.driver.clickClient(Client::codex);
         },
         {{"mainButton", en("workflow.button.apply")}}},
        {"a failure with its detail open",
         [](auto& t) {
             t.window.fail(en("workflow.apply.failed"), "write: No space left on device");
             t.driver.click("failureDetailToggle");
         },
         {{"statusLine", en("workflow.apply.failed")},
          {"failureDetailToggle", en("gui.failure.details")},
          {"failureDetailText", "write: No space left on device"}}},
        {"a client that is not installed",
         [](auto& t) {
             t.actions.installations = {{Client::openCode, Installation::missing}};
             t.window.setWorking(true);
             t.window.setWorking(false);
             t.driver.clickClient(Client::openCode);
         },
         {{"installationNote", en("gui.header.not-installed-computer",
                                  {{"client", en("model.client.name.openCode")}})}}},
    };
    const QRegularExpression chinese(QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    for (const EnglishCase& entry : cases) {
        SCOPED_TRACE(entry.name);
        EnglishWindow shown;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.window));
        entry.act(shown);
        QCoreApplication::processEvents();
        for (const auto& [name, text] : entry.expected) {
            EXPECT_EQ(shownText(shown.driver.find<QWidget>(name)), qText(text))
                << name.toStdString();
        }
        for (const auto& [where, text] : shown.shownTexts()) {
            EXPECT_FALSE(text.contains(chinese)) << where;
        }
    }
}

TEST(EnglishWindow, TheGatewaysModelsAreCountedInEnglish) {
    EnglishWindow shown;
    SetupWindow& window = shown.window;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    shown.driver.clickClient(Client::openCode);
    window.showGatewayModels({{"gpt-b", "B"}});
    QDialog* dialog = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        dialog = window.findChild<QDialog*>("gatewayModelsDialog");
        return dialog != nullptr && dialog->isVisible();
    }));
    EXPECT_EQ(dialog->findChild<QLabel*>("gatewayModelsNote")->text(),
              qText(enCount("gui.gateway-models.listed", "gui.gateway-models.listed.plural", 1)));
    auto* list = dialog->findChild<QListWidget*>("gatewayModelsList");
    EXPECT_EQ(list->item(0)->text(), "gpt-b (B)");
    list->item(0)->setCheckState(Qt::Checked);
    EXPECT_EQ(
        dialog->findChild<QAbstractButton*>("gatewayModelsAdd")->text(),
        qText(enCount("gui.gateway-models.add-count", "gui.gateway-models.add-count.plural", 1)));
    dialog->reject();
}

}  // namespace
}  // namespace corvane
