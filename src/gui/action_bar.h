#pragma once

#include <QWidget>
#include <functional>

#include "model/client.h"

class QLabel;
class QPushButton;

namespace corvane {

class BusySpinner;
class FailureDetail;

// The bottom row: "恢复初始设置", the spinner while working, the status line
// (red when it reports a failure, with its detail behind "详细信息" under it),
// "预览更改" and the main button.
class ActionBar : public QWidget {
public:
    ActionBar(std::function<void()> onReset, std::function<void()> onPreview,
              std::function<void()> onSubmit, QWidget* parent = nullptr);

    void setClient(Client client);
    void setWorking(bool working);
    // A status that is not a failure drops the detail.
    void setStatus(const QString& status, bool failed);
    void setFailureDetail(const QString& detail);

    QPushButton* mainButton() const { return mainButton_; }

    // A button of the window's own ("测试连接") before "预览更改".
    void addButton(QPushButton* button);

    // The focusable widgets in tab order.
    QList<QWidget*> focusChain() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void paintStatus();

    QPushButton* resetButton_;
    BusySpinner* spinner_;
    QLabel* statusLine_;
    FailureDetail* failureDetail_;
    QPushButton* previewButton_;
    QPushButton* mainButton_;
    QPushButton* extraButton_ = nullptr;
    bool failed_ = false;
};

}  // namespace corvane
