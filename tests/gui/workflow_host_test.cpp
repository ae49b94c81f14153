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

#include "gui/setup_window.h"
#include "shown_window.h"

namespace corvane {
namespace {

using testing::WindowDriver;

const Question kRestart{"现在重启 OpenClaw？", "请先保存该应用中的工作。重启会结束正在运行的任务。",
                        "立即重启", "稍后重启"};

class WorkflowHostTest : public testing::ShownWindowTest {
protected:
    // Asks from a worker thread; the future holds the answer.
    std::future<bool> askFromWorker(const Question& question) {
        return std::async(std::launch::async, [this, question] { return window.ask(question); });
    }
};

TEST_F(WorkflowHostTest, WorkerCallsReachTheWindowInOrderOnItsThread) {
    driver.type("key", "sk-secret");
    std::thread worker([this] {
        window.setWorking(true);
        window.setStatus("验证模型 1 / 2");
        window.setStatus("验证模型 2 / 2");
        window.setFailed(true);
        window.setStatus("「o3」返回 HTTP 401。请核对 Key、认证方式和模型权限。");
        window.clearKey();
    });
    worker.join();
    // Nothing is touched until the window's own thread runs the calls.
    EXPECT_EQ(window.status(), "");
    EXPECT_FALSE(window.working());
    EXPECT_EQ(driver.find<QLineEdit>("key")->text(), "sk-secret");

    ASSERT_TRUE(QTest::qWaitFor([&] { return driver.find<QLineEdit>("key")->text().isEmpty(); }));
    EXPECT_EQ(window.status(), "「o3」返回 HTTP 401。请核对 Key、认证方式和模型权限。");
    EXPECT_EQ(driver.find<QLabel>("statusLine")->text(),
              "「o3」返回 HTTP 401。请核对 Key、认证方式和模型权限。");
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
        const char* press;
        bool expected;
    };
    for (const Case& entry : {Case{"立即重启", true}, Case{"稍后重启", false}}) {
        SCOPED_TRACE(entry.press);
        std::future<bool> answer = askFromWorker(kRestart);
        QMessageBox* box = driver.waitForBox("question");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(answer.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
        EXPECT_EQ(box->text().toStdString(), kRestart.messageText);
        EXPECT_EQ(box->informativeText().toStdString(), kRestart.informativeText);
        EXPECT_EQ(box->defaultButton()->text(), "立即重启");
        EXPECT_EQ(box->escapeButton()->text(), "稍后重启");
        QTest::mouseClick(WindowDriver::buttonTitled(*box, entry.press), Qt::LeftButton);
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
