// Keys on focused buttons, model rows that give their space back, and a form
// that waits while a workflow runs.
#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <functional>

#include "shown_window.h"

namespace corvane {
namespace {

struct Geometry {
    int addButtonTop;
    int scrollMaximum;
    int scrollValue;
    bool operator==(const Geometry&) const = default;
};

class WindowKeyboardLayoutTest : public testing::ShownWindowTest {
public:
    void SetUp() override {
        ShownWindowTest::SetUp();
        window.setOpenURL([this](const QUrl& url) {
            opened.push_back(url.toString());
            return true;
        });
    }

    static void addRows(testing::WindowDriver& driver, int count) {
        for (int i = 0; i < count; ++i) driver.click("addModelButton");
    }

    static Geometry geometry(SetupWindow& shown) {
        auto* add = shown.findChild<QWidget*>("addModelButton");
        const QScrollBar* bar = shown.findChild<QScrollArea*>()->verticalScrollBar();
        return {add->mapTo(&shown, QPoint()).y() + bar->value(), bar->maximum(), bar->value()};
    }

    // The geometry of a window that never saw another client or row count.
    static Geometry freshGeometry(Client client, int rows) {
        SetupWindow fresh;
        testing::WindowDriver freshDriver(fresh);
        fresh.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&fresh));
        fresh.selectClient(client);
        addRows(freshDriver, rows - 1);
        QTest::qWait(50);
        return geometry(fresh);
    }

    void removeRowsDownTo(std::size_t rows) {
        while (window.form().rows.size() > rows) {
            const std::size_t before = window.form().rows.size();
            QTest::mouseClick(static_cast<QAbstractButton*>(driver.rowWidgets("remove.").front()),
                              Qt::LeftButton);
            ASSERT_TRUE(QTest::qWaitFor([&] { return window.form().rows.size() < before; }));
        }
    }

    std::vector<QString> opened;
};

struct ButtonCase {
    const char* button;
    Client client;
    std::function<bool(WindowKeyboardLayoutTest&)> acted;
};

TEST_F(WindowKeyboardLayoutTest, ReturnEnterAndSpaceOnAFocusedButtonPressThatButton) {
    const ButtonCase cases[] = {
        {"resetButton", Client::codex,
         [](auto& t) { return t.driver.template find<QMessageBox>("resetConfirmation"); }},
        {"addModelButton", Client::codex, [](auto& t) { return t.window.form().rows.size() == 3; }},
        {"remove.", Client::codex, [](auto& t) { return t.window.form().rows.size() == 1; }},
        {"choosePath", Client::openClaw,
         [](auto& t) { return t.driver.template find<QFileDialog>("openPanel"); }},
        {"downloadControl", Client::claude, [](auto& t) { return t.opened.size() == 1; }},
        {"mainButton", Client::codex, [](auto& t) { return t.actions.submitted.size() == 1; }},
        {"previewButton", Client::codex, [](auto& t) { return t.actions.previewed.size() == 1; }},
    };
    const std::pair<Qt::Key, Qt::KeyboardModifier> keys[] = {{Qt::Key_Return, Qt::NoModifier},
                                                             {Qt::Key_Enter, Qt::KeypadModifier},
                                                             {Qt::Key_Space, Qt::NoModifier}};
    for (const auto& [key, modifier] : keys) {
        for (const ButtonCase& entry : cases) {
            SCOPED_TRACE(std::string(entry.button) + " key " + std::to_string(key));
            driver.clickClient(entry.client);
            window.resetForm();
            if (entry.client == Client::codex) addRows(driver, 1);
            actions.submitted.clear();
            actions.previewed.clear();
            opened.clear();
            const QString name = entry.button;
            QWidget* button =
                name.endsWith('.') ? driver.rowWidgets(name).front() : driver.find<QWidget>(name);
            button->setFocus();
            QTest::keyClick(button, key, modifier);
            EXPECT_TRUE(QTest::qWaitFor([&] { return entry.acted(*this); }));
            if (name != "mainButton") {
                EXPECT_TRUE(actions.submitted.empty());
            }
            if (auto* box = driver.find<QMessageBox>("resetConfirmation")) box->reject();
            if (auto* panel = driver.find<QFileDialog>("openPanel")) panel->reject();
            QTest::qWait(20);
        }
    }
}

struct RowCase {
    const char* name;
    std::function<void(WindowKeyboardLayoutTest&)> steps;
    Client client;
    int rows;
};

TEST_F(WindowKeyboardLayoutTest, ModelRowsTakeTheSpaceTheyNeedAndStartAtTheTop) {
    const RowCase cases[] = {
        {"seven rows removed down to one",
         [](auto& t) {
             addRows(t.driver, 6);
             t.removeRowsDownTo(1);
         },
         Client::codex, 1},
        {"seven rows removed down to three",
         [](auto& t) {
             addRows(t.driver, 6);
             t.removeRowsDownTo(3);
         },
         Client::codex, 3},
        {"seven Codex rows scrolled down, then OpenCode",
         [](auto& t) {
             addRows(t.driver, 6);
             QScrollBar* bar = t.window.template findChild<QScrollArea*>()->verticalScrollBar();
             bar->setValue(bar->maximum());
             t.driver.clickClient(Client::openCode);
         },
         Client::openCode, 1},
    };
    for (const RowCase& entry : cases) {
        SCOPED_TRACE(entry.name);
        const Geometry expected = freshGeometry(entry.client, entry.rows);
        driver.clickClient(Client::claude);
        driver.clickClient(Client::codex);
        entry.steps(*this);
        EXPECT_TRUE(QTest::qWaitFor([&] { return geometry(window) == expected; }))
            << "add button at " << geometry(window).addButtonTop << " not " << expected.addButtonTop
            << ", scroll range " << geometry(window).scrollMaximum << " not "
            << expected.scrollMaximum << ", scrolled to " << geometry(window).scrollValue;
    }
}

TEST_F(WindowKeyboardLayoutTest, AnAddedRowIsScrolledIntoView) {
    driver.clickClient(Client::codex);
    addRows(driver, 9);
    QWidget* last = driver.rowWidgets("modelID.").back();
    auto* scroll = window.findChild<QScrollArea*>();
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const QRect shown = scroll->viewport()->rect();
        return shown.contains(QRect(last->mapTo(scroll->viewport(), QPoint()), last->size()));
    }));
    EXPECT_EQ(QApplication::focusWidget(), last);
}

TEST_F(WindowKeyboardLayoutTest, EveryInputWaitsWhileWorkingAndTheKeyboardComesBack) {
    for (Client client : {Client::codex, Client::openClaw}) {
        SCOPED_TRACE(std::string(rawValue(client)));
        driver.clickClient(client);
        addRows(driver, 1);
        auto* address = driver.find<QLineEdit>("address");
        address->setFocus();
        window.setWorking(true);
        int inputs = 0;
        for (QWidget* widget : window.findChildren<QWidget*>()) {
            const bool input =
                qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget) ||
                qobject_cast<QAbstractButton*>(widget) || qobject_cast<QListWidget*>(widget);
            // Only the stop button works while a run does, and the download link.
            if (!input || !widget->isVisible() || widget->objectName() == "downloadControl" ||
                widget->objectName() == "stopButton") {
                continue;
            }
            ++inputs;
            EXPECT_FALSE(widget->isEnabled()) << widget->objectName().toStdString();
        }
        EXPECT_GE(inputs, 10);
        window.setWorking(false);
        EXPECT_TRUE(address->isEnabled());
        EXPECT_EQ(window.focusWidget(), address);
        for (QWidget* remove : driver.rowWidgets("remove.")) EXPECT_TRUE(remove->isEnabled());
    }
}

}  // namespace
}  // namespace corvane
