#include "gui/action_bar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/accent_button.h"
#include "gui/busy_spinner.h"
#include "gui/failure_detail.h"
#include "gui/form_text.h"
#include "gui/signal_colours.h"
#include "model/messages.h"
#include "workflow/client_texts.h"

namespace corvane {

ActionBar::ActionBar(std::function<void()> onReset, std::function<void()> onStop,
                     std::function<void()> onSubmit, QWidget* parent)
    : QWidget(parent),
      resetButton_(new QPushButton(qText(translated("workflow.reset.question.reset")), this)),
      spinner_(new BusySpinner(this)),
      stopButton_(new QPushButton(qText(translated("gui.action-bar.stop")), this)),
      statusLine_(new QLabel(this)),
      failureDetail_(new FailureDetail(this)),
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

    // Escape stops too: a button's shortcut works only while it is shown and
    // its window is the active one, so an open dialog keeps its own Escape.
    stopButton_->setObjectName(QStringLiteral("stopButton"));
    stopButton_->setShortcut(QKeySequence(Qt::Key_Escape));
    stopButton_->hide();
    connect(stopButton_, &QPushButton::clicked, this, std::move(onStop));
    layout->addWidget(stopButton_);

    statusLine_->setObjectName(QStringLiteral("statusLine"));
    statusLine_->setWordWrap(true);
    statusLine_->setFont(scaledFont(font(), 0.92));
    statusLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A status may quote a gateway's or a file's words.
    statusLine_->setTextFormat(Qt::PlainText);
    statusLine_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The detail toggle sits at the end of the status, so that an open detail costs
    // the form no more height than its own few lines.
    auto* statusRow = new QHBoxLayout;
    statusRow->setSpacing(6);
    statusRow->addWidget(statusLine_, 1);
    statusRow->addWidget(failureDetail_->toggle(), 0, Qt::AlignTop);
    auto* statusColumn = new QVBoxLayout;
    statusColumn->setSpacing(2);
    statusColumn->addLayout(statusRow);
    statusColumn->addWidget(failureDetail_);
    layout->addLayout(statusColumn, 1);

    mainButton_->setObjectName(QStringLiteral("mainButton"));
    connect(mainButton_, &QPushButton::clicked, this, std::move(onSubmit));
    layout->addWidget(mainButton_);
    paintStatus();
}

void ActionBar::setClient(Client client, Installation installation) {
    resetButton_->setVisible(!guidanceOnly(client));
    mainButton_->setText(QString::fromStdString(mainButtonLabel(client, installation)));
}

void ActionBar::setWorking(bool working) {
    resetButton_->setEnabled(!working);
    mainButton_->setEnabled(!working);
    spinner_->setVisible(working);
    stopButton_->setVisible(working);
}

void ActionBar::setStatus(const QString& status, bool failed, bool succeeded) {
    statusLine_->setText(status);
    failed_ = failed;
    succeeded_ = succeeded && !failed;
    if (!failed) failureDetail_->setDetail({});
    paintStatus();
}

void ActionBar::setFailureDetail(const QString& detail) { failureDetail_->setDetail(detail); }

QList<QWidget*> ActionBar::focusChain() const { return {resetButton_, stopButton_, mainButton_}; }

void ActionBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) paintStatus();
    QWidget::changeEvent(event);
}

// Progress in the quiet text colour; a run that worked in the colour of
// success, one that failed in the colour of failure.
void ActionBar::paintStatus() {
    QColor ink = palette().color(QPalette::PlaceholderText);
    if (failed_) ink = failureColor(palette());
    if (succeeded_) ink = successColor(palette());
    QPalette colours = statusLine_->palette();
    colours.setColor(QPalette::WindowText, ink);
    statusLine_->setPalette(colours);
}

}  // namespace corvane
