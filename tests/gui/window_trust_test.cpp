// What a user must be able to count on: a run can be stopped, the window can
// be closed and quit from the keyboard, every state can be read, and the
// questions keep their order in every style.
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "chosen_language.h"
#include "gui/alerts.h"
#include "gui/form_text.h"
#include "gui/icons.h"
#include "gui/interface_font.h"
#include "gui/signal_colours.h"
#include "gui/window_commands.h"
#include "restart_question_text.h"
#include "shown_window.h"
#include "support/catalogue_text.h"

namespace corvane {
namespace {

using testing::WindowDriver;

class WindowTrustTest : public testing::ShownWindowTest {
public:
    QWidget* widget(const char* name) { return driver.find<QWidget>(name); }
    int left(const char* name) { return widget(name)->mapTo(&window, QPoint()).x(); }
};

struct StopCase {
    const char* name;
    std::function<void(WindowTrustTest&)> act;
    int stopRequests;
};

TEST_F(WindowTrustTest, StopShowsWhileWorkingBesideTheSpinnerAndAsksTheRunToStop) {
    EXPECT_FALSE(widget("stopButton")->isVisible());
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(actions.stopRequests, 0) << "nothing runs";

    const StopCase cases[] = {
        {"the button", [](auto& t) { t.driver.click("stopButton"); }, 1},
        {"Escape", [](auto& t) { QTest::keyClick(&t.window, Qt::Key_Escape); }, 1},
        {"Escape in a dialog closes the dialog",
         [](auto& t) {
             t.window.showPreview("");
             QDialog* dialog = nullptr;
             ASSERT_TRUE(QTest::qWaitFor([&] {
                 dialog = t.driver.template find<QDialog>("previewDialog");
                 return dialog && dialog->isVisible();
             }));
             ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
             QTest::keyClick(dialog, Qt::Key_Escape);
             EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->isVisible(); }));
         },
         0},
    };
    for (const StopCase& entry : cases) {
        SCOPED_TRACE(entry.name);
        actions.stopRequests = 0;
        window.setWorking(true);
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        EXPECT_TRUE(widget("stopButton")->isVisible());
        EXPECT_TRUE(widget("stopButton")->isEnabled());
        EXPECT_EQ(qobject_cast<QPushButton*>(widget("stopButton"))->text(),
                  qText(testing::zh("gui.action-bar.stop")));
        EXPECT_LT(left("spinner"), left("stopButton"));
        EXPECT_LT(left("stopButton"), left("statusLine"));
        entry.act(*this);
        // A shortcut presses its button as a click does, released a moment later.
        QTest::qWait(200);
        EXPECT_EQ(actions.stopRequests, entry.stopRequests);
        window.setWorking(false);
        EXPECT_FALSE(widget("stopButton")->isVisible());
    }
}

struct CommandCase {
    const char* name;
    QKeySequence key;
};

TEST(WindowCommands, QuitAndCloseKeysCloseTheWindowAndStopTheRun) {
    const CommandCase cases[] = {{"quit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
                                 {"close", QKeySequence(Qt::CTRL | Qt::Key_W)}};
    for (const CommandCase& entry : cases) {
        SCOPED_TRACE(entry.name);
        testing::RecordingActions actions;
        SetupWindow window;
        window.setActions(&actions);
        installWindowCommands(window);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        window.setWorking(true);
        QTest::keySequence(&window, entry.key);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }));
        EXPECT_EQ(actions.stopCalls, 1);
    }
}

TEST(WindowCommands, TheMenuBarHoldsAboutUpdatesQuitAndTheWindowMenu) {
    QWidget window;
    for (const bool updater : {false, true}) {
        SCOPED_TRACE(updater ? "with an updater" : "without one");
        int checks = 0;
        const WindowCommands commands = makeWindowCommands(
            window, updater ? std::function<void()>([&] { ++checks; }) : std::function<void()>());
        QMenuBar* bar = makeMenuBar(commands, &window);
        const QList<QAction*> menus = bar->actions();
        ASSERT_EQ(menus.size(), 2);
        QStringList application;
        for (QAction* action : menus[0]->menu()->actions()) application << action->text();
        QStringList expected{qText(testing::zh("gui.about.title")),
                             qText(testing::zh("gui.command.quit"))};
        if (updater) expected.insert(1, qText(testing::zh("gui.command.check-for-updates")));
        EXPECT_EQ(application, expected);
        EXPECT_EQ(commands.about->menuRole(), QAction::AboutRole);
        EXPECT_EQ(commands.quit->menuRole(), QAction::QuitRole);
        EXPECT_TRUE(commands.quit->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Q)));
        for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Close)) {
            EXPECT_TRUE(commands.close->shortcuts().contains(key));
        }
        EXPECT_EQ(menus[1]->text(), qText(testing::zh("gui.command.window-menu")));
        EXPECT_EQ(menus[1]->menu()->actions(),
                  (QList<QAction*>{commands.minimize, commands.close}));
        EXPECT_EQ(commands.minimize->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_M));
        if (updater) commands.checkForUpdates->trigger();
        EXPECT_EQ(checks, updater ? 1 : 0);
        delete bar;
    }
}

// The About box shows the program's icon drawn for the screen, sharp at 2×,
// and a second request brings the open box forward instead of another.
TEST(WindowCommands, AboutShowsTheProgramsIconDrawnForTheScreen) {
    for (const qreal ratio : {1.0, 2.0}) {
        SCOPED_TRACE(ratio);
        const QPixmap icon = applicationPixmap(64, ratio);
        EXPECT_EQ(icon.size(), QSize(64, 64) * ratio);
        EXPECT_EQ(icon.devicePixelRatio(), ratio);
        EXPECT_GT(qAlpha(icon.toImage().pixel(icon.rect().center())), 0) << "drawn, not blank";
    }

    QWidget window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const WindowCommands commands = makeWindowCommands(window, {});
    commands.about->trigger();
    commands.about->trigger();
    const QList<QMessageBox*> boxes = window.findChildren<QMessageBox*>("aboutBox");
    ASSERT_EQ(boxes.size(), 1);
    QMessageBox* box = boxes.front();
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowTitle(), qText(testing::zh("gui.about.title")));
    EXPECT_EQ(box->text(), "AI reru");
    EXPECT_TRUE(box->informativeText().startsWith(
        qText(testing::zh("gui.app.version", {{"version", "9.8.7"}}))));
    EXPECT_EQ(box->iconPixmap().devicePixelRatio(), window.devicePixelRatioF());
    EXPECT_EQ(box->iconPixmap().deviceIndependentSize(), QSizeF(64, 64));
    box->accept();
}

TEST_F(WindowTrustTest, TheStatusHasTheBarsWidthAndALongOneMovesNoButton) {
    auto* bar = widget("statusLine")->parentWidget();
    for (const char* formButton : {"testConnectionButton", "previewButton", "fetchModelsButton"}) {
        EXPECT_FALSE(bar->isAncestorOf(widget(formButton))) << formButton;
    }
    driver.clickClient(Client::codex);
    QTest::qWait(20);
    const int mainLeft = left("mainButton");
    const int free = bar->width() - widget("resetButton")->width() - widget("mainButton")->width() -
                     2 * 24 - 2 * 12;
    EXPECT_GE(widget("statusLine")->width(), free - 2);
    // Any status too long for one line; a longer one than the tool writes.
    window.setStatus(testing::zh("workflow.restart.saved.stopped", {{"application", "WorkBuddy"}}) +
                     testing::zh("workflow.restart.question.text") +
                     testing::zh("workflow.reset.question.text"));
    QTest::qWait(20);
    EXPECT_EQ(left("mainButton"), mainLeft);
}

// In the font the application uses (the CJK one is taller than Qt's
// default): the window is built after the font is set, as main() does.
TEST(MinimumSize, HoldsTheFormAndAnOpenFailureDetailWithoutScrolling) {
    const QFont usual = QApplication::font();
    useInterfaceFont();
    const QString details[] = {
        "~/.openclaw/openclaw.json 第 12 行第 5 列：此处的字符不合语法。",
        "~/.openclaw/openclaw.json 第 12 行第 5 列：此处的字符不合语法。" +
            QString(" Permission denied").repeated(20),
    };
    for (const auto& [language, detail] :
         {std::pair{Language::chinese, details[0]}, std::pair{Language::chinese, details[1]},
          std::pair{Language::english, details[1]}}) {
        SCOPED_TRACE(detail.size());
        SCOPED_TRACE(language == Language::english ? "in English" : "in Chinese");
        const testing::ChosenLanguage chosen(language);
        testing::RecordingActions actions;
        SetupWindow window;
        window.setActions(&actions);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        WindowDriver driver(window);
        window.resize(window.minimumSize());
        driver.clickClient(Client::openClaw);
        window.fail(testing::zh("files.config.malformed"), detail.toStdString());
        driver.click("failureDetailToggle");
        // Laid out in a queued pass, which a busy machine may run late.
        QScrollBar* scroll = window.findChild<QScrollArea*>()->verticalScrollBar();
        EXPECT_TRUE(QTest::qWaitFor([&] { return scroll->maximum() == 0; }, 2000))
            << "the form scrolls by " << scroll->maximum() << " px";
        EXPECT_EQ(window.size(), window.minimumSize());
        for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
            if (!button->isVisible()) continue;
            const QRect place(button->mapTo(&window, QPoint()), button->size());
            EXPECT_TRUE(window.rect().contains(place)) << button->objectName().toStdString();
            EXPECT_GE(button->width(), button->minimumSizeHint().width())
                << button->text().toStdString();
        }
        // A label on one line that is narrower than its text shows it cut.
        for (QLabel* label : window.findChildren<QLabel*>()) {
            if (!label->isVisible() || label->wordWrap() || label->text().isEmpty()) continue;
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        }
    }
    QApplication::setFont(usual);
}

TEST_F(WindowTrustTest, SuccessFailureAndProgressEachHaveTheirColour) {
    auto* line = driver.find<QLabel>("statusLine");
    const auto ink = [&] { return line->palette().color(QPalette::WindowText); };
    window.setStatus(
        testing::zh("workflow.check.model-progress", {{"index", "1"}, {"total", "1"}}));
    EXPECT_EQ(ink(), window.palette().color(QPalette::PlaceholderText));
    window.setStatus(testing::zh("workflow.check.passed"));
    window.finished(WorkflowOutcome::succeeded);
    EXPECT_EQ(ink(), successColor(window.palette()));
    window.setStatus(testing::zh("workflow.stopped.plain"));
    window.finished(WorkflowOutcome::stopped);
    EXPECT_EQ(ink(), window.palette().color(QPalette::PlaceholderText));
    window.fail(testing::zh("workflow.apply.failed"), "");
    window.finished(WorkflowOutcome::succeeded);
    EXPECT_EQ(ink(), failureColor(window.palette()));
}

// The contrast ratio of two opaque colours as WCAG 2 defines it, 1 to 21.
double contrastRatio(const QColor& first, const QColor& second) {
    const auto luminance = [](const QColor& colour) {
        const auto linear = [](double channel) {
            return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
               0.0722 * linear(colour.blueF());
    };
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// The selected row, as drawn: its tint against the darkest (or lightest)
// pixel between two fractions of its width; by default its name, right of
// the icon and left of the configured mark.
double selectedRowContrast(SetupWindow& window, double from = 0.2, double to = 0.75) {
    auto* list = window.findChild<QListWidget*>("clientList");
    // From the window, with everything under the row's translucent tint.
    const QRect row = list->visualItemRect(list->currentItem());
    const QImage image =
        window.grab(QRect(list->viewport()->mapTo(&window, row.topLeft()), row.size())).toImage();
    const QColor tint = image.pixelColor(image.width() - 4, image.height() / 2);
    double best = 1;
    for (int y = 0; y < image.height(); ++y) {
        for (auto x = static_cast<int>(image.width() * from);
             x < static_cast<int>(image.width() * to); ++x) {
            best = std::max(best, contrastRatio(image.pixelColor(x, y), tint));
        }
    }
    return best;
}

// A dark palette of the kind desktop themes give Qt.
QPalette darkPalette() {
    QPalette dark = QApplication::palette();
    const QColor text(0xe6, 0xe6, 0xe6);
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2d));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
    dark.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3d));
    dark.setColor(QPalette::Mid, QColor(0x46, 0x46, 0x4a));
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x78, 0x78, 0x7c));
    dark.setColor(QPalette::Highlight, QColor(0x2f, 0x7c, 0xf6));
    return dark;
}

TEST_F(WindowTrustTest, TheSelectedClientStaysReadableWhileWorkingInBothPalettes) {
    const QPalette light = QApplication::palette();
    for (const QPalette& palette : {light, darkPalette()}) {
        QApplication::setPalette(palette);
        QTest::qWait(20);
        const QColor shade = widget("sidebar")->palette().color(QPalette::Window);
        EXPECT_EQ(shade.rgb(), palette.color(QPalette::Mid).rgb()) << "the shade follows";
        window.setWorking(true);
        EXPECT_GE(selectedRowContrast(window), 4.5);
        window.setWorking(false);
    }
    QApplication::setPalette(light);
}

// How far keyboard focus changes a widget's look: the largest contrast, over
// its pixels, between the focused and the unfocused picture.
double focusContrast(QWidget& widget) {
    QWidget& window = *widget.window();
    // With a margin: a ring may be drawn around the widget.
    const QRect place =
        QRect(widget.mapTo(&window, QPoint()), widget.size()).adjusted(-4, -4, 4, 4);
    window.setFocus();
    QTest::qWait(20);
    const QImage before = window.grab(place).toImage();
    widget.setFocus(Qt::TabFocusReason);
    // As Tab does: styles draw the ring only after a keyboard focus change.
    window.setAttribute(Qt::WA_KeyboardFocusChange);
    widget.update();
    QTest::qWait(20);
    const QImage after = window.grab(place).toImage();
    double best = 1;
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            best = std::max(best, contrastRatio(before.pixelColor(x, y), after.pixelColor(x, y)));
        }
    }
    return best;
}

TEST_F(WindowTrustTest, FocusCanBeSeenInBothPalettes) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    driver.clickClient(Client::openClaw);
    const QPalette light = QApplication::palette();
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? darkPalette() : light);
        for (const char* name : {"resetButton", "testConnectionButton", "mainButton", "address",
                                 "auth", "choosePath", "clientList"}) {
            SCOPED_TRACE(std::string(name) + (dark ? " dark" : " light"));
            // A ring against its background: WCAG asks 3:1 of a focus change.
            EXPECT_GE(focusContrast(*widget(name)), 3.0);
        }
    }
    QApplication::setPalette(light);
}

struct MarkCase {
    Client client;
    Installation installation;
    QString note;
    QString headerNote;
    QString mainButton;
};

TEST_F(WindowTrustTest, ClientsThatAreNotInstalledAreMarkedBeforeTheFormIsFilled) {
    const QString restart = qText(testing::zh("workflow.button.apply-restart"));
    const MarkCase cases[] = {
        {Client::codex, Installation::application, "", "", restart},
        {Client::codex, Installation::commandLineOnly, "", "",
         qText(testing::zh("workflow.button.apply"))},
        {Client::openCode, Installation::missing, qText(testing::zh("gui.sidebar.not-installed")),
         qText(testing::zh("gui.header.not-installed-computer", {{"client", "OpenCode Desktop"}})),
         restart},
        {Client::workBuddy, Installation::missing, qText(testing::zh("gui.sidebar.mac-only")),
         qText(testing::zh("gui.header.mac-only", {{"client", "WorkBuddy"}})), restart},
    };
    auto* list = driver.find<QListWidget>("clientList");
    for (const MarkCase& entry : cases) {
        const QString name = qText(clientLabel(entry.client));
        SCOPED_TRACE(name.toStdString() + " " + entry.note.toStdString());
        actions.installations = {{entry.client, entry.installation}};
        window.setWorking(true);
        window.setWorking(false);
        driver.clickClient(entry.client);
        EXPECT_EQ(window.client(), entry.client) << "the row stays selectable";
        const QListWidgetItem* item = list->currentItem();
        EXPECT_EQ(item->data(Qt::ToolTipRole).toString(), entry.note);
        EXPECT_EQ(item->data(Qt::AccessibleDescriptionRole).toString(), entry.note);
        EXPECT_EQ(item->data(Qt::AccessibleTextRole).toString(), name);
        EXPECT_EQ(item->data(Qt::ForegroundRole).isValid(), !entry.note.isEmpty());
        // The icon: the row's padding and the icon's width from the left.
        const double iconEnd =
            (2.0 + list->iconSize().width()) / list->visualItemRect(item).width();
        EXPECT_GE(selectedRowContrast(window, 0, iconEnd), 3.0) << "its icon reads on the tint";
        auto* note = driver.find<QLabel>("installationNote");
        EXPECT_EQ(note->isVisibleTo(&window) ? note->text() : QString(), entry.headerNote);
        EXPECT_EQ(driver.find<QPushButton>("mainButton")->text(), entry.mainButton);
    }
}

TEST_F(WindowTrustTest, AfterAnApplyEmptiedTheKeyAButtonThatNeedsItSaysSo) {
    driver.clickClient(Client::openCode);
    driver.type("address", "https://gw.example.com");
    window.clearKey();
    for (const char* button : {"previewButton", "testConnectionButton", "mainButton"}) {
        SCOPED_TRACE(button);
        window.setFailed(false);
        driver.click(button);
        EXPECT_TRUE(window.failed());
        EXPECT_EQ(window.status(), testing::zh("gui.status.paste-key-again"));
    }
    EXPECT_TRUE(actions.previewed.empty());
    EXPECT_TRUE(actions.tested.empty());
    EXPECT_TRUE(actions.submitted.empty());
    driver.type("key", "sk-again");
    driver.click("previewButton");
    EXPECT_EQ(actions.previewed.size(), 1u);
}

// A style that lays dialog buttons out by one platform's convention.
class ButtonLayoutStyle : public QProxyStyle {
public:
    explicit ButtonLayoutStyle(int layout) : layout_(layout) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_DialogButtonLayout) return layout_;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }

private:
    int layout_;
};

TEST(Alerts, KeepTheirButtonOrderInEveryStyleAndMarkTheDestructiveChoice) {
    QWidget parent;
    const QString usual = QApplication::style()->name();
    const Question restart = testing::restartNowQuestion("Codex");
    const QString cancel = qText(testing::zh("workflow.question.cancel"));
    for (const int layout : {QDialogButtonBox::WinLayout, QDialogButtonBox::MacLayout,
                             QDialogButtonBox::KdeLayout, QDialogButtonBox::GnomeLayout}) {
        SCOPED_TRACE(layout);
        auto* style = new ButtonLayoutStyle(layout);
        QApplication::setStyle(style);
        const auto reset = makeResetConfirmation(resetQuestion(Client::codex, true), &parent);
        reset->show();
        QCoreApplication::processEvents();
        EXPECT_EQ(WindowDriver::buttonTitles(*reset),
                  QStringList({qText(testing::zh("workflow.reset.question.reset-restart")),
                               qText(testing::zh("workflow.reset.question.reset-later")), cancel}));
        for (QAbstractButton* button : reset->buttons()) {
            EXPECT_EQ(reset->buttonRole(button) == QMessageBox::DestructiveRole,
                      button->text() != cancel);
        }
        const auto question = makeQuestionBox(restart, &parent);
        question->show();
        QCoreApplication::processEvents();
        EXPECT_EQ(WindowDriver::buttonTitles(*question),
                  QStringList({qText(restart.proceedButton), qText(restart.declineButton)}));
        EXPECT_EQ(question->buttonRole(proceedButton(*question)), QMessageBox::DestructiveRole);
        EXPECT_FALSE(question->iconPixmap().isNull());
    }
    QApplication::setStyle(usual);
}

// A line of a dialog may break between Chinese characters and at spaces, but
// never inside a Latin word such as a client's name: every such word fits
// the width its label has. In the application's font, whose text is wider.
TEST(Alerts, BreakTheirLinesOnlyBetweenWords) {
    const QFont usual = QApplication::font();
    useInterfaceFont();
    QWidget parent;
    std::vector<std::unique_ptr<QMessageBox>> boxes;
    for (Client client : allClients()) {
        const std::string name(rawValue(client));
        for (bool installed : {false, true}) {
            boxes.push_back(makeResetConfirmation(resetQuestion(client, installed), &parent));
        }
        boxes.push_back(makeQuestionBox(
            {testing::zh("workflow.restart.question.apply-title", {{"application", name}}),
             testing::zh("workflow.restart.question.text"),
             testing::zh("workflow.button.apply-restart"), testing::zh("workflow.question.cancel")},
            &parent));
        boxes.push_back(makeQuestionBox(testing::restartNowQuestion(name), &parent));
    }
    const QRegularExpression latinWord(QStringLiteral("[A-Za-z0-9.:/_-]+"));
    for (const auto& box : boxes) {
        box->show();
        QCoreApplication::processEvents();
        for (const QLabel* label : box->findChildren<QLabel*>()) {
            if (label->text().isEmpty() || !label->isVisible()) continue;
            SCOPED_TRACE(label->text().toStdString());
            for (const auto& word : latinWord.globalMatch(label->text())) {
                EXPECT_LE(label->fontMetrics().horizontalAdvance(word.captured()),
                          label->contentsRect().width())
                    << word.captured().toStdString();
            }
        }
        box->hide();
    }
    QApplication::setFont(usual);
}

}  // namespace
}  // namespace corvane
