#pragma once

#include <QWidget>
#include <functional>

#include "model/client.h"
#include "workflow/installed_application.h"

class QLabel;
class QPushButton;

namespace corvane {

class BusySpinner;
class FailureDetail;

// The bottom row: the reset button (workflow.reset.question.reset), the
// spinner and gui.action-bar.stop while working, the status line (red when it
// reports a failure, with its detail behind gui.failure.details under it) and
// the main button.
class ActionBar : public QWidget {
public:
    ActionBar(std::function<void()> onReset, std::function<void()> onStop,
              std::function<void()> onSubmit, QWidget* parent = nullptr);

    // The reset button and the main button's words for a client installed as
    // `installation`.
    void setClient(Client client, Installation installation);
    void setWorking(bool working);
    // A status that is not a failure drops the detail; `succeeded` marks a
    // finished run that worked.
    void setStatus(const QString& status, bool failed, bool succeeded);
    void setFailureDetail(const QString& detail);

    QPushButton* mainButton() const { return mainButton_; }

    // The focusable widgets in tab order.
    QList<QWidget*> focusChain() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void paintStatus();

    QPushButton* resetButton_;
    BusySpinner* spinner_;
    QPushButton* stopButton_;
    QLabel* statusLine_;
    FailureDetail* failureDetail_;
    QPushButton* mainButton_;
    bool failed_ = false;
    bool succeeded_ = false;
};

}  // namespace corvane
