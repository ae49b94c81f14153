#pragma once

#include <QWidget>

class QLabel;
class QToolButton;

namespace corvane {

// The disclosure under a failed status: "详细信息" opens the failure's detail
// (the path and the system's reason). Hidden while there is no detail, and
// closed again whenever the detail changes.
class FailureDetail : public QWidget {
public:
    explicit FailureDetail(QWidget* parent = nullptr);

    // An empty detail hides the disclosure.
    void setDetail(const QString& detail);
    QString detail() const;

    bool expanded() const;
    void setExpanded(bool expanded);

private:
    QToolButton* toggle_;
    QLabel* text_;
};

}  // namespace corvane
