#pragma once

#include <QWidget>

class QLabel;
class QScrollArea;
class QToolButton;

namespace corvane {

// The disclosure of a failed status: gui.failure.details opens the failure's detail
// (the path and the system's reason). Hidden while there is no detail, and
// closed again whenever the detail changes. The toggle is made in `parent`
// for its owner to place beside the status; this widget is the open text,
// which shows a few lines at most and scrolls the rest, so that a long detail
// never takes the form's height.
class FailureDetail : public QWidget {
public:
    explicit FailureDetail(QWidget* parent);

    QToolButton* toggle() const { return toggle_; }

    // An empty detail hides the disclosure.
    void setDetail(const QString& detail);
    QString detail() const;

    bool expanded() const;
    void setExpanded(bool expanded);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitHeight();

    QToolButton* toggle_;
    QScrollArea* scroll_;
    QLabel* text_;
};

}  // namespace corvane
