#pragma once

#include <QWidget>
#include <functional>

#include "model/client.h"

class QLabel;
class QPushButton;

namespace corvane {

class BusySpinner;

// The bottom row: "恢复初始设置", the spinner while working, the status line
// (red when it reports a failure) and the main button.
class ActionBar : public QWidget {
public:
    ActionBar(std::function<void()> onReset, std::function<void()> onSubmit,
              QWidget* parent = nullptr);

    void setClient(Client client);
    void setWorking(bool working);
    void setStatus(const QString& status, bool failed);

    QPushButton* mainButton() const { return mainButton_; }

    // The focusable widgets in tab order.
    QList<QWidget*> focusChain() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void paintStatus();

    QPushButton* resetButton_;
    BusySpinner* spinner_;
    QLabel* statusLine_;
    QPushButton* mainButton_;
    bool failed_ = false;
};

}  // namespace corvane
