#include "gui/failure_detail.h"

#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvane {

FailureDetail::FailureDetail(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("failureDetail"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    toggle_ = new QToolButton(this);
    toggle_->setObjectName(QStringLiteral("failureDetailToggle"));
    toggle_->setText(QStringLiteral("详细信息"));
    toggle_->setCheckable(true);
    toggle_->setAutoRaise(true);
    toggle_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toggle_->setArrowType(Qt::RightArrow);
    connect(toggle_, &QToolButton::toggled, this, [this](bool open) { setExpanded(open); });
    layout->addWidget(toggle_, 0, Qt::AlignLeft);

    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("failureDetailText"));
    text_->setWordWrap(true);
    // Paths and system messages are copied into reports.
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text_->setTextFormat(Qt::PlainText);
    layout->addWidget(text_);

    setDetail({});
}

void FailureDetail::setDetail(const QString& detail) {
    text_->setText(detail);
    setExpanded(false);
    setVisible(!detail.isEmpty());
}

QString FailureDetail::detail() const { return text_->text(); }

bool FailureDetail::expanded() const { return toggle_->isChecked(); }

void FailureDetail::setExpanded(bool expanded) {
    toggle_->setChecked(expanded);
    toggle_->setArrowType(expanded ? Qt::DownArrow : Qt::RightArrow);
    text_->setVisible(expanded);
}

}  // namespace corvane
