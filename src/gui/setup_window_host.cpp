// The workflows' side of SetupWindow: state changes carried over from the
// worker thread, questions, user defaults and the shutdown.
#include <QCloseEvent>
#include <QMessageBox>
#include <QThread>

#include "gui/action_bar.h"
#include "gui/alerts.h"
#include "gui/change_preview_dialog.h"
#include "gui/connection_form.h"
#include "gui/gateway_probe_controls.h"
#include "gui/pending_answer.h"
#include "gui/setup_window.h"
#include "model/text.h"

namespace corvane {

SetupWindow::~SetupWindow() {
    // The children go after this body, and the keyboard with them.
    disconnect(focusWatch_);
    // The owner stops the workflows before the window goes; a worker still
    // waiting for an answer must not wait forever.
    std::lock_guard lock(questionMutex_);
    closing_ = true;
    if (pendingAnswer_) pendingAnswer_->give(false);
}

void SetupWindow::shutDown() {
    std::shared_ptr<PendingAnswer> pending;
    {
        std::lock_guard lock(questionMutex_);
        closing_ = true;
        pending = pendingAnswer_;
    }
    if (pending) pending->give(false);
    if (questionBox_) questionBox_->close();
    if (resetBox_) resetBox_->close();
    if (actions_) actions_->stopAndWait();
}

void SetupWindow::closeEvent(QCloseEvent* event) {
    shutDown();
    event->accept();
}

void SetupWindow::onWindowThread(std::function<void()> change) {
    if (QThread::currentThread() == thread()) {
        change();
        return;
    }
    QMetaObject::invokeMethod(this, std::move(change), Qt::QueuedConnection);
}

void SetupWindow::setStatus(const std::string& status) {
    onWindowThread([this, status] {
        status_ = status;
        succeeded_ = false;
        showStatus();
    });
}

void SetupWindow::setFailed(bool failed) {
    onWindowThread([this, failed] {
        failed_ = failed;
        showStatus();
    });
}

void SetupWindow::fail(const std::string& message, const std::string& detail) {
    onWindowThread([this, message, detail] {
        failed_ = true;
        status_ = message;
        showStatus();
        actionBar_->setFailureDetail(QString::fromStdString(displayable(detail)));
    });
}

void SetupWindow::setWorking(bool working) {
    onWindowThread([this, working] {
        // Any run may have changed the clients' files.
        const bool ended = working_ && !working;
        working_ = working;
        showWorking();
        if (ended) readClientLooks();
    });
}

void SetupWindow::clearKey() {
    onWindowThread([this] {
        connection_->clearKey();
        keyCleared_ = true;
    });
}

void SetupWindow::resetForm() {
    onWindowThread([this] { clearForm(); });
}

bool SetupWindow::ask(const Question& question) {
    if (QThread::currentThread() == thread()) {
        {
            std::lock_guard lock(questionMutex_);
            if (closing_) return false;
        }
        const std::unique_ptr<QMessageBox> box = makeQuestionBox(question, this);
        box->exec();
        return box->clickedButton() == proceedButton(*box);
    }
    auto answer = std::make_shared<PendingAnswer>();
    {
        std::lock_guard lock(questionMutex_);
        if (closing_) return false;
        pendingAnswer_ = answer;
    }
    QMetaObject::invokeMethod(
        this, [this, question, answer] { showQuestion(question, answer); }, Qt::QueuedConnection);
    const bool proceed = answer->wait();
    std::lock_guard lock(questionMutex_);
    if (pendingAnswer_ == answer) pendingAnswer_.reset();
    return proceed;
}

void SetupWindow::showQuestion(const Question& question, std::shared_ptr<PendingAnswer> answer) {
    {
        std::lock_guard lock(questionMutex_);
        if (closing_) return;
    }
    questionBox_ = makeQuestionBox(question, this).release();
    questionBox_->setObjectName(QStringLiteral("question"));
    questionBox_->setAttribute(Qt::WA_DeleteOnClose);
    connect(questionBox_, &QMessageBox::finished, this, [this, box = questionBox_, answer] {
        questionBox_ = nullptr;
        answer->give(box->clickedButton() != nullptr &&
                     box->clickedButton() == proceedButton(*box));
    });
    questionBox_->open();
}

std::optional<std::string> SetupWindow::userDefault(const std::string& key) {
    return defaults_.value(key);
}

void SetupWindow::setUserDefault(const std::string& key, const std::string& value) {
    defaults_.setValue(key, value);
}

void SetupWindow::removeUserDefault(const std::string& key) { defaults_.remove(key); }

void SetupWindow::showGatewayModels(const std::vector<GatewayModel>& models) {
    onWindowThread([this, models] { probes_->offerModels(models); });
}

void SetupWindow::showModelCheck(std::size_t row, const ModelCheck& found) {
    onWindowThread([this, row, found] { probes_->markRow(row, found); });
}

void SetupWindow::finished(WorkflowOutcome outcome) {
    onWindowThread([this, outcome] {
        succeeded_ = outcome == WorkflowOutcome::succeeded && !failed_;
        showStatus();
    });
}

void SetupWindow::showPreview(const std::string& diff) {
    onWindowThread([this, diff] {
        auto* dialog = new ChangePreviewDialog(
            diff, [this] { submit(); }, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });
}

}  // namespace corvane
