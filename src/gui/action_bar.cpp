#include "gui/action_bar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/accent_button.h"
#include "gui/busy_spinner.h"
#include "gui/failure_detail.h"
#include "gui/form_text.h"
#include "gui/signal_colours.h"

namespace corvane {

ActionBar::ActionBar(std::function<void()> onReset, std::function<void()> onPreview,
                     std::function<void()> onSubmit, QWidget* parent)
    : QWidget(parent),
      resetButton_(new QPushButton(QStringLiteral("恢复初始设置"), this)),
      spinner_(new BusySpinner(this)),
      statusLine_(new QLabel(this)),
      failureDetail_(new FailureDetail(this)),
      previewButton_(new QPushButton(QStringLiteral("预览更改"), this)),
      mainButton_(new AccentButton(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 14, 24, 14);
    layout->setSpacing(12);

    resetButton_->setObjectName(QStringLiteral("resetButton"));
    connect(resetButton_, &QPushButton::clicked, this, std::move(onReset));
    layout->addWidget(resetButton_);

    spinner_->setObjectName(QStringLiteral("spinner"));
    spinner_->hide();
    layout->addWidget(spinner_);

    statusLine_->setObjectName(QStringLiteral("statusLine"));
    statusLine_->setWordWrap(true);
    statusLine_->setFont(scaledFont(font(), 0.92));
    statusLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusLine_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* statusColumn = new QVBoxLayout;
    statusColumn->addWidget(statusLine_);
    statusColumn->addWidget(failureDetail_);
    layout->addLayout(statusColumn, 1);

    previewButton_->setObjectName(QStringLiteral("previewButton"));
    connect(previewButton_, &QPushButton::clicked, this, std::move(onPreview));
    layout->addWidget(previewButton_);

    mainButton_->setObjectName(QStringLiteral("mainButton"));
    connect(mainButton_, &QPushButton::clicked, this, std::move(onSubmit));
    layout->addWidget(mainButton_);
    paintStatus();
}

void ActionBar::setClient(Client client) {
    const bool cursor = client == Client::cursor;
    resetButton_->setVisible(!cursor);
    // Opening Cursor is all its main button does: there is nothing to preview.
    previewButton_->setVisible(!cursor);
    mainButton_->setText(cursor ? QStringLiteral("打开应用") : QStringLiteral("应用并重启"));
}

void ActionBar::setWorking(bool working) {
    resetButton_->setEnabled(!working);
    previewButton_->setEnabled(!working);
    mainButton_->setEnabled(!working);
    spinner_->setVisible(working);
}

void ActionBar::setStatus(const QString& status, bool failed) {
    statusLine_->setText(status);
    failed_ = failed;
    if (!failed) failureDetail_->setDetail({});
    paintStatus();
}

void ActionBar::setFailureDetail(const QString& detail) { failureDetail_->setDetail(detail); }

void ActionBar::addButton(QPushButton* button) {
    extraButton_ = button;
    auto* row = static_cast<QHBoxLayout*>(layout());
    row->insertWidget(row->indexOf(previewButton_), button);
}

QList<QWidget*> ActionBar::focusChain() const {
    if (extraButton_) return {resetButton_, extraButton_, previewButton_, mainButton_};
    return {resetButton_, previewButton_, mainButton_};
}

void ActionBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) paintStatus();
    QWidget::changeEvent(event);
}

void ActionBar::paintStatus() {
    QPalette colours = statusLine_->palette();
    colours.setColor(QPalette::WindowText, failed_ ? failureColor(palette())
                                                   : palette().color(QPalette::PlaceholderText));
    statusLine_->setPalette(colours);
}

}  // namespace corvane
