#include "gui/failure_detail.h"

#include <QLabel>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/form_text.h"
#include "model/messages.h"

namespace corvane {
namespace {

constexpr int kVisibleLines = 3;

}  // namespace

FailureDetail::FailureDetail(QWidget* parent)
    : QWidget(parent),
      toggle_(new QToolButton(parent)),
      scroll_(new QScrollArea(this)),
      text_(new QLabel(scroll_)) {
    setObjectName(QStringLiteral("failureDetail"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    toggle_->setObjectName(QStringLiteral("failureDetailToggle"));
    toggle_->setText(qText(translated("gui.failure.details")));
    toggle_->setCheckable(true);
    toggle_->setAutoRaise(true);
    toggle_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toggle_->setArrowType(Qt::RightArrow);
    connect(toggle_, &QToolButton::toggled, this, [this](bool open) { setExpanded(open); });

    text_->setObjectName(QStringLiteral("failureDetailText"));
    text_->setWordWrap(true);
    // Paths and system messages are copied into reports.
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text_->setTextFormat(Qt::PlainText);
    text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidget(text_);
    scroll_->viewport()->setAutoFillBackground(false);
    text_->setAutoFillBackground(false);
    layout->addWidget(scroll_);

    setDetail({});
}

void FailureDetail::setDetail(const QString& detail) {
    text_->setText(detail);
    toggle_->setVisible(!detail.isEmpty());
    setExpanded(false);
}

QString FailureDetail::detail() const { return text_->text(); }

bool FailureDetail::expanded() const { return toggle_->isChecked(); }

void FailureDetail::setExpanded(bool expanded) {
    toggle_->setChecked(expanded);
    toggle_->setArrowType(expanded ? Qt::DownArrow : Qt::RightArrow);
    setVisible(expanded);
    if (expanded) fitHeight();
}

void FailureDetail::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitHeight();
}

// The whole text when it is short; a few lines and a scroll bar otherwise.
void FailureDetail::fitHeight() {
    const int whole = text_->heightForWidth(width());
    const int most = kVisibleLines * text_->fontMetrics().lineSpacing();
    const int height = std::max(0, std::min(whole, most));
    if (scroll_->height() != height) scroll_->setFixedHeight(height);
}

}  // namespace corvane
