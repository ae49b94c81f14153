#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <future>
#include <thread>

#include "gui/form_text.h"
#include "gui/setup_window.h"
#include "restart_question_text.h"
#include "shown_window.h"
#include "support/catalogue_text.h"

namespace corvane {
namespace {

using testing::WindowDriver;

class WorkflowHostTest : public testing::ShownWindowTest {
protected:
    const Question kRestart = testing::restartNowQuestion("OpenClaw");

    // Asks from a worker thread; the future holds the answer.
    std::future<bool> askFromWorker(const Question& question) {
        return std::async(std::launch::async, [this, question] { return window.ask(question); });
    }
};

TEST_F(WorkflowHostTest, WorkerCallsReachTheWindowInOrderOnItsThread) {
    driver.type("key", "sk-secret");
    std::thread worker([this] {
        window.setWorking(true);
        window.setStatus(
            testing::zh("workflow.check.model-progress", {{"index", "1"}, {"total", "2"}}));
        window.setStatus(
            testing::zh("workflow.check.model-progress", {{"index", "2"}, {"total", "2"}}));
        window.setFailed(true);
        window.setStatus(testing::zh("workflow.check.failed"));
        window.clearKey();
    });
    worker.join();
    // Nothing is touched until the window's own thread runs the calls.
    EXPECT_EQ(window.status(), "");
    EXPECT_FALSE(window.working());
    EXPECT_EQ(driver.find<QLineEdit>("key")->text(), "sk-secret");

    ASSERT_TRUE(QTest::qWaitFor([&] { return driver.find<QLineEdit>("key")->text().isEmpty(); }));
    EXPECT_EQ(window.status(), testing::zh("workflow.check.failed"));
    EXPECT_EQ(driver.find<QLabel>("statusLine")->text(),
              qText(testing::zh("workflow.check.failed")));
    EXPECT_TRUE(window.failed());
    EXPECT_TRUE(window.working());
    EXPECT_FALSE(driver.find<QPushButton>("mainButton")->isEnabled());
}

TEST_F(WorkflowHostTest, ResetFormFromTheWorkerClearsTheFormOnTheWindowThread) {
    driver.type("address", "https://gw.example.com");
    driver.click("addModelButton");
    std::thread([this] { window.resetForm(); }).join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.form().address.empty(); }));
    EXPECT_EQ(window.form().rows.size(), 1u);
}

TEST_F(WorkflowHostTest, TheRestartQuestionBlocksTheWorkerUntilAnswered) {
    struct Case {
        std::string press;
        bool expected;
    };
    for (const Case& entry :
         {Case{kRestart.proceedButton, true}, Case{kRestart.declineButton, false}}) {
        SCOPED_TRACE(entry.press);
        std::future<bool> answer = askFromWorker(kRestart);
        QMessageBox* box = driver.waitForBox("question");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(answer.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
        EXPECT_EQ(box->text().toStdString(), kRestart.messageText);
        EXPECT_EQ(box->informativeText().toStdString(), kRestart.informativeText);
        EXPECT_EQ(box->defaultButton()->text(), qText(kRestart.proceedButton));
        EXPECT_EQ(box->escapeButton()->text(), qText(kRestart.declineButton));
        QTest::mouseClick(WindowDriver::buttonTitled(*box, qText(entry.press)), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return answer.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready;
        }));
        EXPECT_EQ(answer.get(), entry.expected);
    }
}

TEST_F(WorkflowHostTest, EscapeDeclinesTheQuestion) {
    std::future<bool> answer = askFromWorker(kRestart);
    QMessageBox* box = driver.waitForBox("question");
    ASSERT_NE(box, nullptr);
    QTest::keyClick(box, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return answer.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready;
    }));
    EXPECT_FALSE(answer.get());
}

TEST_F(WorkflowHostTest, ClosingTheWindowAnswersNoAndStopsTheTask) {
    std::future<bool> answer = askFromWorker(kRestart);
    ASSERT_NE(driver.waitForBox("question"), nullptr);
    window.close();
    EXPECT_EQ(answer.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_FALSE(answer.get());
    EXPECT_EQ(actions.stopCalls, 1);

    // A task still finishing gets "no" at once rather than a new question.
    EXPECT_FALSE(askFromWorker(kRestart).get());
}

TEST_F(WorkflowHostTest, ClosingBeforeTheQuestionIsShownStillAnswersNo) {
    std::future<bool> answer = askFromWorker(kRestart);
    // The question is posted but the window's thread has not shown it yet.
    window.shutDown();
    EXPECT_EQ(answer.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_FALSE(answer.get());
    QTest::qWait(50);
    EXPECT_EQ(driver.find<QMessageBox>("question"), nullptr);
}

}  // namespace
}  // namespace corvane
