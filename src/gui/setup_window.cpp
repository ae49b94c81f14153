#include "gui/setup_window.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/action_bar.h"
#include "gui/alerts.h"
#include "gui/change_preview_dialog.h"
#include "gui/client_sidebar.h"
#include "gui/connection_form.h"
#include "gui/download_control.h"
#include "gui/elided_label.h"
#include "gui/focus_ring.h"
#include "gui/form_text.h"
#include "gui/gateway_probe_controls.h"
#include "gui/hairline.h"
#include "gui/icons.h"
#include "gui/model_form.h"
#include "gui/open_panel.h"
#include "gui/pending_answer.h"
#include "gui/setup_link_events.h"
#include "model/messages.h"
#include "model/text.h"
#include "workflow/reset_question.h"

namespace corvane {
namespace {

constexpr QSize kDefaultSize(870, 550);
constexpr QSize kMinimumSize(775, 490);
constexpr int kClientNamePixels = 23;

// Return on a focused button presses that button, as Space does.
void press(QAbstractButton* button) {
    auto* withMenu = qobject_cast<QPushButton*>(button);
    if (withMenu && withMenu->menu()) {
        withMenu->showMenu();
    } else {
        button->animateClick();
    }
}

// Some palettes draw the prompt of a disabled field darker than its text.
void fadeDisabledPrompts(QWidget& window) {
    QPalette palette = window.palette();
    QColor prompt = palette.color(QPalette::Disabled, QPalette::Text);
    prompt.setAlphaF(0.6);
    palette.setColor(QPalette::Disabled, QPalette::PlaceholderText, prompt);
    window.setPalette(palette);
}

}  // namespace

SetupWindow::SetupWindow(QWidget* parent)
    : QWidget(parent),
      openURL_([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      sidebar_(new ClientSidebar([this](Client client) { selectClient(client); }, this)) {
    setWindowTitle(QStringLiteral("AI reru"));
    setMinimumSize(kMinimumSize);
    resize(kDefaultSize);
    fadeDisabledPrompts(*this);

    auto* root = new QHBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(sidebar_);
    root->addWidget(new Hairline(this));

    auto* detail = new QWidget(this);
    auto* detailLayout = new QVBoxLayout(detail);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    detailLayout->setSpacing(0);

    auto* content = new QWidget(detail);
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(24, 24, 24, 0);
    contentLayout->setSpacing(10);
    contentLayout->addWidget(buildHeader());
    contentLayout->addWidget(buildForms(), 1);
    detailLayout->addWidget(content, 1);

    actionBar_ =
        new ActionBar([this] { confirmReset(); }, [this] { stop(); }, [this] { submit(); }, detail);
    detailLayout->addWidget(actionBar_);
    root->addWidget(detail, 1);

#ifndef Q_OS_MACOS
    // The Mac's style rings focus clearly itself.
    new FocusRing(this);
#endif
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this,
                          [this](QWidget*, QWidget* now) { keepFocusedFieldInView(now); });

    sidebar_->setSelected(client_);
    showClient();
    showStatus();
    showWorking();
    connection_->addressField()->setFocus();
}

void SetupWindow::setActions(SetupActions* actions) {
    actions_ = actions;
    if (looked_) readClientLooks();
}

// The clients' looks wait for the first paint: nothing is read before the
// window is on screen. So does the icon that the window manager shows for this
// window and every later one: decoding it would delay the first paint.
bool SetupWindow::event(QEvent* event) {
    if (event->type() == QEvent::Paint && !looked_) {
        looked_ = true;
        QTimer::singleShot(0, this, [this] {
#ifndef Q_OS_MACOS
            // On the Mac the bundle's icon is the Dock's.
            QApplication::setWindowIcon(applicationIcon());
#endif
            readClientLooks();
        });
    }
    return QWidget::event(event);
}

QWidget* SetupWindow::buildHeader() {
    auto* header = new QWidget(this);
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(4);
    clientName_ = new QLabel(header);
    clientName_->setObjectName(QStringLiteral("clientName"));
    QFont nameFont = clientName_->font();
    nameFont.setPixelSize(kClientNamePixels);
    nameFont.setWeight(QFont::DemiBold);
    clientName_->setFont(nameFont);
    titles->addWidget(clientName_);
    configuredLine_ = new QLabel(header);
    configuredLine_->setObjectName(QStringLiteral("configuredLine"));
    configuredLine_->setForegroundRole(QPalette::PlaceholderText);
    // The address comes from the client's file.
    configuredLine_->setTextFormat(Qt::PlainText);
    configuredLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    configuredLine_->hide();
    titles->addWidget(configuredLine_);
    layout->addLayout(titles);
    layout->addStretch();
    installationNote_ = new ElidedLabel(header);
    installationNote_->setObjectName(QStringLiteral("installationNote"));
    installationNote_->setForegroundRole(QPalette::PlaceholderText);
    installationNote_->hide();
    layout->addWidget(installationNote_);
    downloadSlot_ = new QWidget(header);
    auto* slotLayout = new QHBoxLayout(downloadSlot_);
    slotLayout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(downloadSlot_);
    return header;
}

QWidget* SetupWindow::buildForms() {
    forms_ = new QStackedWidget(this);
    auto* page = new QWidget(forms_);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(10);
    connection_ = new ConnectionForm([this] { chooseConfigurationFile(); }, page);
    models_ = new ModelForm([this] { updateTabOrder(); }, page);
    // A probe that would send a key emptied by an apply says so instead.
    probes_ = new GatewayProbeControls(
        this, models_->editor(), [this] { return form(); },
        [this] { return keyMustBePastedAgain() ? nullptr : actions_; });
    previewButton_ = new QPushButton(qText(translated("gui.preview.title")), page);
    previewButton_->setObjectName(QStringLiteral("previewButton"));
    connect(previewButton_, &QPushButton::clicked, this, [this] { previewSubmit(); });
    // The buttons that only ask the gateway or show a dry run sit with the
    // form they read; the action bar keeps the status its width.
    auto* formButtons = new QHBoxLayout;
    formButtons->setSpacing(8);
    formButtons->addWidget(probes_->fetchButton());
    formButtons->addWidget(probes_->testButton());
    formButtons->addWidget(previewButton_);
    formButtons->addStretch();
    linkLine_ = linkOriginLine(*connection_->addressField(), page);
    pageLayout->addWidget(linkLine_);
    pageLayout->addWidget(connection_);
    pageLayout->addWidget(models_);
    pageLayout->addLayout(formButtons);
    pageLayout->addStretch();
    forms_->addWidget(page);
    forms_->addWidget(buildCursorGuide());

    // Many model rows scroll instead of pushing the action bar off the window.
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidget(forms_);
    scroll_->viewport()->setAutoFillBackground(false);
    forms_->setAutoFillBackground(false);
    return scroll_;
}

QWidget* SetupWindow::buildCursorGuide() {
    auto* guide = new QWidget(this);
    guide->setObjectName(QStringLiteral("cursorGuide"));
    auto* layout = new QVBoxLayout(guide);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(headingLabel(qText(translated("gui.cursor-guide.heading")), guide));
    auto* path = new QLabel(QStringLiteral("Settings → Models → API Keys"), guide);
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* note = new QLabel(qText(translated("gui.cursor-guide.needs-custom-keys")), guide);
    note->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(path);
    layout->addWidget(note);
    layout->addStretch();
    return guide;
}

SetupForm SetupWindow::form() const {
    SetupForm form;
    form.client = client_;
    connection_->fill(form);
    form.rows = models_->rows();
    return form;
}

void SetupWindow::selectClient(Client client) {
    if (client != client_) {
        client_ = client;
        showClient();
        clearForm();
    }
    sidebar_->setSelected(client_);
}

void SetupWindow::showClient() {
    clientName_->setText(QString::fromStdString(clientLabel(client_)));
    showDownloads();
    forms_->setCurrentIndex(guidanceOnly(client_) ? 1 : 0);
    connection_->setClient(client_);
    models_->setClient(client_);
    probes_->showClient(client_);
    previewButton_->setVisible(!guidanceOnly(client_));
    showClientLooks();
    updateTabOrder();
}

void SetupWindow::showClientLooks() {
    const auto installed = installations_.find(client_);
    actionBar_->setClient(
        client_, installed != installations_.end() ? installed->second : Installation::application);
    showConfiguredLine();
    showInstallationNote();
}

void SetupWindow::readClientLooks() {
    if (!actions_) return;
    for (Client client : allClients()) {
        const std::string chosenPath = userDefault(configurationPathKey(client)).value_or("");
        ClientConfigurationStatus status = actions_->configurationStatus(client, chosenPath);
        sidebar_->setConfigured(client, status.configured.value_or(false));
        configuration_[client] = std::move(status);
        installations_[client] = actions_->installation(client);
        sidebar_->setInstallation(client, installations_[client]);
    }
    showClientLooks();
}

// Beside the download button of a client that is not installed.
void SetupWindow::showInstallationNote() {
    const auto found = installations_.find(client_);
    const bool missing = found != installations_.end() && found->second == Installation::missing;
    installationNote_->setVisible(missing);
    if (!missing) return;
    const std::string name = clientLabel(client_);
#ifdef Q_OS_MACOS
    installationNote_->setLine(
        qText(translated("gui.header.not-installed-mac", {{"client", name}})));
#else
    installationNote_->setLine(qText(
        hasLinuxBuild(client_) ? translated("gui.header.not-installed-computer", {{"client", name}})
                               : translated("gui.header.mac-only", {{"client", name}})));
#endif
}

// Only what the files show for sure: a configured client whose address is
// known.
void SetupWindow::showConfiguredLine() {
    const auto found = configuration_.find(client_);
    const bool known = found != configuration_.end() && found->second.configured.value_or(false) &&
                       found->second.address;
    configuredLine_->setVisible(known);
    if (!known) return;
    configuredLine_->setText(qText(displayable(
        translatedCount("gui.header.configured", "gui.header.configured.plural",
                        found->second.models.size(), {{"address", *found->second.address}}))));
}

void SetupWindow::showDownloads() {
    delete downloadControl_;
    downloadControl_ = makeDownloadControl(
        client_, [this](const QUrl& url) { openDownload(url); }, downloadSlot_);
    if (!downloadControl_) return;
    downloadSlot_->layout()->addWidget(downloadControl_);
    downloadControl_->show();
}

// The whole form waits with the buttons; the keyboard comes back to where it
// was when the workflow ends.
void SetupWindow::showWorking() {
    if (working_) focusBeforeWork_ = focusWidget();
    sidebar_->setEnabled(!working_);
    forms_->setEnabled(!working_);
    actionBar_->setWorking(working_);
    probes_->showWorking(working_);
    previewButton_->setEnabled(!working_);
    if (!working_ && focusBeforeWork_ && focusBeforeWork_->isEnabled() &&
        focusBeforeWork_->isVisible()) {
        focusBeforeWork_->setFocus();
    }
}

// A status may carry a model's label or a file's value: shown escaped.
void SetupWindow::showStatus() {
    actionBar_->setStatus(QString::fromStdString(displayable(status_)), failed_, succeeded_);
}

void SetupWindow::updateTabOrder() {
    if (!actionBar_) return;  // the window is still being built
    QList<QWidget*> chain{sidebar_->list()};
    if (downloadControl_) chain.append(downloadControl_);
    chain << connection_->focusChain() << models_->focusChain() << probes_->fetchButton()
          << probes_->testButton() << previewButton_ << actionBar_->focusChain();
    for (qsizetype i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

// Tab and adding a model may move the keyboard below the visible part of the form.
void SetupWindow::keepFocusedFieldInView(QWidget* focused) {
    if (!focused || !forms_->isAncestorOf(focused)) return;
    // Queued behind the layout pass that places a row just added.
    QTimer::singleShot(0, this, [this, field = QPointer<QWidget>(focused)] {
        if (field) scroll_->ensureWidgetVisible(field, 0, 8);
    });
}

void SetupWindow::chooseConfigurationFile() {
    QFileDialog* panel = makeOpenPanel(connection_->chosenPath(), client_, this);
    connect(panel, &QFileDialog::fileSelected, this, [this](const QString& path) {
        connection_->setChosenPath(QDir::toNativeSeparators(path));
    });
    panel->open();
}

void SetupWindow::submit() {
    if (working_ || !actions_) return;
    if (!guidanceOnly(client_) && keyMustBePastedAgain()) return;
    actions_->submit(form());
}

void SetupWindow::previewSubmit() {
    if (working_ || guidanceOnly(client_) || !actions_) return;
    if (keyMustBePastedAgain()) return;
    actions_->previewSubmit(form());
}

void SetupWindow::stop() {
    if (working_ && actions_) actions_->requestStop();
}

bool SetupWindow::keyMustBePastedAgain() {
    if (!keyCleared_ || !form().key.empty()) return false;
    failed_ = true;
    succeeded_ = false;
    status_ = translated("gui.status.paste-key-again");
    showStatus();
    return true;
}

void SetupWindow::openDownload(const QUrl& url) {
    if (openURL_(url)) return;
    failed_ = true;
    succeeded_ = false;
    status_ =
        translated("gui.status.download-page-unopened", {{"url", url.toString().toStdString()}});
    showStatus();
}

void SetupWindow::confirmReset() {
    if (working_ || guidanceOnly(client_) || resetBox_) return;
    // The location is the one found now; the alert's button restarts it.
    const std::optional<std::filesystem::path> installed =
        actions_ ? actions_->installedApplication(client_) : std::nullopt;
    resetBox_ =
        makeResetConfirmation(resetQuestion(client_, installed.has_value()), this).release();
    resetBox_->setObjectName(QStringLiteral("resetConfirmation"));
    resetBox_->setAttribute(Qt::WA_DeleteOnClose);
    connect(resetBox_, &QMessageBox::finished, this, [this, box = resetBox_, installed] {
        resetBox_ = nullptr;
        const QAbstractButton* clicked = box->clickedButton();
        if (!clicked) return;
        switch (static_cast<ResetAction>(clicked->property("action").toInt())) {
            case ResetAction::resetAndRestart:
                resetConfiguration(installed);
                break;
            case ResetAction::resetWithoutRestart:
                resetConfiguration(std::nullopt);
                break;
            case ResetAction::cancel:
                break;
        }
    });
    resetBox_->open();
}

void SetupWindow::resetConfiguration(const std::optional<std::filesystem::path>& restart) {
    if (working_ || guidanceOnly(client_) || !actions_) return;
    actions_->resetConfiguration(form(), restart);
}

// A focused button takes Return and Enter itself (Space it handles on its
// own); anywhere else they press the main button.
void SetupWindow::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (!enter || !plain) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(focusWidget())) {
        if (button->isEnabled()) press(button);
    } else if (actionBar_->mainButton()->isEnabled()) {
        actionBar_->mainButton()->animateClick();
    }
}

void SetupWindow::clearForm() {
    connection_->clear(
        QString::fromStdString(userDefault(configurationPathKey(client_)).value_or("")));
    models_->setRows({ModelRow()});
    scroll_->verticalScrollBar()->setValue(0);
    status_.clear();
    failed_ = false;
    succeeded_ = false;
    keyCleared_ = false;
    showStatus();
}

}  // namespace corvane
