#pragma once

#include <QTimer>
#include <QWidget>

namespace corvane {

// A small turning arc beside the status line while a workflow runs; it turns
// only while shown.
class BusySpinner : public QWidget {
public:
    explicit BusySpinner(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer timer_;
    int angle_ = 0;
};

}  // namespace corvane
