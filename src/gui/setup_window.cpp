#include "gui/setup_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

#include "files/config_files.h"
#include "gui/alerts.h"
#include "gui/client_sidebar.h"
#include "gui/gateway_probe_controls.h"
#include "gui/icons.h"
#include "gui/model_rows_editor.h"
#include "gui/pending_answer.h"
#include "platform/home.h"

namespace corvane {
namespace {

constexpr int kLabelWidth = 104;
constexpr QSize kDefaultSize(870, 550);
constexpr QSize kMinimumSize(775, 490);
const QColor kFailedColor(0xc6, 0x28, 0x28);

QString qText(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

QLabel* fieldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFixedWidth(kLabelWidth);
    return label;
}

QFont scaledFont(const QFont& base, double scale, QFont::Weight weight) {
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * scale);
    font.setWeight(weight);
    return font;
}

// Where the open panel starts: the folder of the path in the field, else that
// of the client's usual file, else the home folder.
QString startFolder(const QString& chosen, Client client) {
    const std::filesystem::path home = homeDirectory();
    std::filesystem::path candidate;
    if (!chosen.isEmpty()) {
        candidate = std::filesystem::path(chosen.toStdString()).parent_path();
    } else if (const auto path = defaultPath(client); path && path->starts_with("~/")) {
        candidate = (home / path->substr(2)).parent_path();
    }
    std::error_code error;
    if (candidate.empty() || !std::filesystem::is_directory(candidate, error)) candidate = home;
    return QString::fromStdString(candidate.string());
}

}  // namespace

SetupWindow::SetupWindow(QWidget* parent)
    : QWidget(parent),
      openURL_([](const QUrl& url) { QDesktopServices::openUrl(url); }),
      sidebar_(new ClientSidebar([this](Client client) { selectClient(client); }, this)) {
    setWindowTitle(QStringLiteral("AI reru"));
    setWindowIcon(applicationIcon());
    setMinimumSize(kMinimumSize);
    resize(kDefaultSize);

    auto* root = new QHBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(sidebar_);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Plain);
    root->addWidget(divider);

    auto* detail = new QWidget(this);
    auto* detailLayout = new QVBoxLayout(detail);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    detailLayout->setSpacing(0);

    auto* content = new QWidget(detail);
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(24, 24, 24, 0);
    contentLayout->setSpacing(16);
    contentLayout->addWidget(buildHeader());

    forms_ = new QStackedWidget(content);
    auto* page = new QWidget(forms_);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(18);
    pageLayout->addWidget(buildConnectionForm());
    pageLayout->addWidget(buildModelForm());
    pageLayout->addStretch();
    forms_->addWidget(page);
    forms_->addWidget(buildCursorGuide());

    // Many model rows scroll instead of pushing the action bar off the window.
    auto* scroll = new QScrollArea(content);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(forms_);
    scroll->viewport()->setAutoFillBackground(false);
    forms_->setAutoFillBackground(false);
    contentLayout->addWidget(scroll, 1);

    detailLayout->addWidget(content, 1);
    detailLayout->addWidget(buildActionBar());
    root->addWidget(detail, 1);

    sidebar_->setSelected(client_);
    showClient();
    showStatus();
    showWorking();
}

SetupWindow::~SetupWindow() {
    // The owner stops the workflows before the window goes; a worker still
    // waiting for an answer must not wait forever.
    std::lock_guard lock(questionMutex_);
    closing_ = true;
    if (pendingAnswer_) pendingAnswer_->give(false);
}

QWidget* SetupWindow::buildHeader() {
    auto* header = new QWidget(this);
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    clientName_ = new QLabel(header);
    clientName_->setObjectName(QStringLiteral("clientName"));
    QFont nameFont = clientName_->font();
    nameFont.setPixelSize(23);
    nameFont.setWeight(QFont::DemiBold);
    clientName_->setFont(nameFont);
    layout->addWidget(clientName_);
    layout->addStretch();
    downloadSlot_ = new QWidget(header);
    auto* slotLayout = new QHBoxLayout(downloadSlot_);
    slotLayout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(downloadSlot_);
    return header;
}

QWidget* SetupWindow::buildConnectionForm() {
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);

    auto* heading = new QHBoxLayout;
    auto* title = new QLabel(QStringLiteral("连接参数"), box);
    title->setFont(scaledFont(font(), 1.0, QFont::DemiBold));
    protocolName_ = new QLabel(box);
    protocolName_->setObjectName(QStringLiteral("protocolName"));
    protocolName_->setForegroundRole(QPalette::PlaceholderText);
    heading->addWidget(title);
    heading->addWidget(protocolName_);
    heading->addStretch();
    layout->addLayout(heading);

    auto* fields = new QFormLayout;
    fields_ = fields;
    fields->setHorizontalSpacing(12);
    fields->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    fields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);

    address_ = new QLineEdit(box);
    address_->setObjectName(QStringLiteral("address"));
    address_->setPlaceholderText(QStringLiteral("输入 HTTPS 接口地址"));
    address_->setAccessibleName(QStringLiteral("接口地址"));
    fields->addRow(fieldLabel(QStringLiteral("接口地址"), box), address_);

    key_ = new QLineEdit(box);
    key_->setObjectName(QStringLiteral("key"));
    key_->setEchoMode(QLineEdit::Password);
    key_->setPlaceholderText(QStringLiteral("供应商 API Key"));
    key_->setAccessibleName(QStringLiteral("API Key"));
    fields->addRow(fieldLabel(QStringLiteral("API Key"), box), key_);

    auth_ = new QComboBox(box);
    auth_->setObjectName(QStringLiteral("auth"));
    auth_->addItem(QStringLiteral("Bearer"), QStringLiteral("bearer"));
    auth_->addItem(QStringLiteral("x-api-key"), QStringLiteral("x-api-key"));
    auth_->setAccessibleName(QStringLiteral("认证方式"));
    authLabel_ = fieldLabel(QStringLiteral("认证方式"), box);
    fields->addRow(authLabel_, auth_);

    auto* pathRow = new QWidget(box);
    auto* pathLayout = new QHBoxLayout(pathRow);
    pathLayout->setContentsMargins(0, 0, 0, 0);
    pathLayout->setSpacing(8);
    chosenPath_ = new QLineEdit(pathRow);
    chosenPath_->setObjectName(QStringLiteral("chosenPath"));
    chosenPath_->setAccessibleName(QStringLiteral("配置文件"));
    choosePath_ = new QPushButton(QStringLiteral("选择…"), pathRow);
    choosePath_->setObjectName(QStringLiteral("choosePath"));
    connect(choosePath_, &QPushButton::clicked, this, [this] { chooseConfigurationFile(); });
    pathLayout->addWidget(chosenPath_, 1);
    pathLayout->addWidget(choosePath_);
    pathLabel_ = fieldLabel(QStringLiteral("配置文件"), box);
    fields->addRow(pathLabel_, pathRow);

    layout->addLayout(fields);
    return box;
}

QWidget* SetupWindow::buildModelForm() {
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    modelHint_ = new QLabel(box);
    modelHint_->setObjectName(QStringLiteral("modelHint"));
    modelHint_->setWordWrap(true);
    modelHint_->setFont(scaledFont(font(), 0.92, QFont::Normal));
    layout->addWidget(modelHint_);
    rows_ = new ModelRowsEditor([this] { updateTabOrder(); }, box);
    layout->addWidget(rows_);
    probes_ = new GatewayProbeControls(
        this, rows_, [this] { return form(); }, [this] { return actions_; });
    layout->addWidget(probes_->fetchButton(), 0, Qt::AlignLeft);
    return box;
}

QWidget* SetupWindow::buildCursorGuide() {
    auto* guide = new QWidget(this);
    guide->setObjectName(QStringLiteral("cursorGuide"));
    auto* layout = new QVBoxLayout(guide);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto* heading = new QLabel(QStringLiteral("应用内配置"), guide);
    heading->setFont(scaledFont(font(), 1.0, QFont::DemiBold));
    auto* path = new QLabel(QStringLiteral("Settings → Models → API Keys"), guide);
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* note = new QLabel(QStringLiteral("需要账户已启用自定义 API Key。"), guide);
    note->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(heading);
    layout->addWidget(path);
    layout->addWidget(note);
    layout->addStretch();
    return guide;
}

QWidget* SetupWindow::buildActionBar() {
    auto* bar = new QWidget(this);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(24, 14, 24, 14);
    layout->setSpacing(12);

    resetButton_ = new QPushButton(QStringLiteral("恢复初始设置"), bar);
    resetButton_->setObjectName(QStringLiteral("resetButton"));
    connect(resetButton_, &QPushButton::clicked, this, [this] { confirmReset(); });
    layout->addWidget(resetButton_);

    progress_ = new QProgressBar(bar);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, 0);
    progress_->setTextVisible(false);
    progress_->setFixedSize(48, 8);
    layout->addWidget(progress_);

    statusLine_ = new QLabel(bar);
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    statusLine_->setWordWrap(true);
    statusLine_->setFont(scaledFont(font(), 0.92, QFont::Normal));
    statusLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusLine_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(statusLine_, 1);

    layout->addWidget(probes_->testButton());
    mainButton_ = new QPushButton(bar);
    mainButton_->setObjectName(QStringLiteral("mainButton"));
    mainButton_->setDefault(true);
    connect(mainButton_, &QPushButton::clicked, this, [this] { submit(); });
    layout->addWidget(mainButton_);
    return bar;
}

SetupForm SetupWindow::form() const {
    SetupForm form;
    form.client = client_;
    form.address = address_->text().toStdString();
    form.key = key_->text().toStdString();
    form.auth = auth_->currentData().toString().toStdString();
    form.rows = rows_->rows();
    form.chosenPath = chosenPath_->text().toStdString();
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
    clientName_->setText(qText(rawValue(client_)));
    showDownloads();
    const bool cursor = client_ == Client::cursor;
    forms_->setCurrentIndex(cursor ? 1 : 0);
    protocolName_->setText(qText(protocolName(client_)));

    fields_->setRowVisible(auth_, client_ != Client::hermes && client_ != Client::workBuddy);
    const std::optional<std::string> path = defaultPath(client_);
    fields_->setRowVisible(chosenPath_->parentWidget(), path.has_value());
    chosenPath_->setPlaceholderText(path ? QString::fromStdString(*path) : QString());

    modelHint_->setText(client_ == Client::codex
                            ? QStringLiteral("每行填写一个 Model ID。第一行设为默认模型。")
                            : QStringLiteral("填写模型供应商提供的 Model ID。"));
    rows_->setClient(client_);
    probes_->showClient(client_);
    resetButton_->setVisible(!cursor);
    mainButton_->setText(cursor ? QStringLiteral("打开应用") : QStringLiteral("应用并重启"));
    updateTabOrder();
}

void SetupWindow::showDownloads() {
    delete downloadControl_;
    downloadControl_ = nullptr;
    const std::vector<OfficialDownload> entries = officialDownloads(client_);
    if (entries.empty()) return;
    const QIcon icon = symbolIcon("arrow.up.right");
    if (entries.size() == 1) {
        const OfficialDownload& entry = entries.front();
        auto* link =
            new QPushButton(icon, QString::fromStdString(entry.name) + " 官方下载", downloadSlot_);
        const QUrl url(QString::fromStdString(entry.url));
        connect(link, &QPushButton::clicked, this, [this, url] { openURL_(url); });
        downloadControl_ = link;
    } else {
        auto* button = new QToolButton(downloadSlot_);
        button->setText(QStringLiteral("官方下载"));
        button->setIcon(icon);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setPopupMode(QToolButton::InstantPopup);
        auto* menu = new QMenu(button);
        for (const OfficialDownload& entry : entries) {
            QAction* action = menu->addAction(QString::fromStdString(entry.name) + " 官方下载");
            const QUrl url(QString::fromStdString(entry.url));
            connect(action, &QAction::triggered, this, [this, url] { openURL_(url); });
        }
        button->setMenu(menu);
        downloadControl_ = button;
    }
    downloadControl_->setObjectName(QStringLiteral("downloadControl"));
    downloadControl_->setCursor(Qt::PointingHandCursor);
    downloadSlot_->layout()->addWidget(downloadControl_);
    downloadControl_->show();
}

void SetupWindow::showWorking() {
    sidebar_->setEnabled(!working_);
    resetButton_->setEnabled(!working_);
    mainButton_->setEnabled(!working_);
    probes_->showWorking(working_);
    progress_->setVisible(working_);
}

void SetupWindow::showStatus() {
    statusLine_->setText(QString::fromStdString(status_));
    QPalette colours = statusLine_->palette();
    colours.setColor(QPalette::WindowText,
                     failed_ ? kFailedColor : palette().color(QPalette::PlaceholderText));
    statusLine_->setPalette(colours);
}

void SetupWindow::updateTabOrder() {
    if (!rows_ || !mainButton_) return;  // the window is still being built
    QList<QWidget*> chain{sidebar_->list()};
    if (downloadControl_) chain.append(downloadControl_);
    chain << address_ << key_ << auth_ << chosenPath_ << choosePath_;
    chain << rows_->focusChain() << probes_->fetchButton();
    chain << resetButton_ << probes_->testButton() << mainButton_;
    for (qsizetype i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void SetupWindow::chooseConfigurationFile() {
    auto* panel = new QFileDialog(this, QStringLiteral("配置文件"));
    panel->setObjectName(QStringLiteral("openPanel"));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setAcceptMode(QFileDialog::AcceptOpen);
    panel->setFileMode(QFileDialog::ExistingFile);
    // The clients keep their files in hidden folders; shown before the panel
    // is pointed at one.
    panel->setFilter(panel->filter() | QDir::Hidden);
    panel->setDirectory(startFolder(chosenPath_->text(), client_));
    connect(panel, &QFileDialog::fileSelected, this,
            [this](const QString& path) { chosenPath_->setText(QDir::toNativeSeparators(path)); });
    panel->open();
}

void SetupWindow::submit() {
    if (working_ || !actions_) return;
    actions_->submit(form());
}

void SetupWindow::confirmReset() {
    if (working_ || client_ == Client::cursor || resetBox_) return;
    // The location is the one found now; the alert's button restarts it.
    const std::optional<std::filesystem::path> installed =
        actions_ ? actions_->installedApplication(client_) : std::nullopt;
    resetBox_ = makeResetConfirmation(client_, installed.has_value(), this).release();
    resetBox_->setObjectName(QStringLiteral("resetConfirmation"));
    resetBox_->setAttribute(Qt::WA_DeleteOnClose);
    connect(resetBox_, &QMessageBox::finished, this, [this, box = resetBox_, installed] {
        resetBox_ = nullptr;
        const QAbstractButton* clicked = box->clickedButton();
        if (!clicked) return;
        switch (static_cast<ResetChoice>(clicked->property("choice").toInt())) {
            case ResetChoice::resetAndRestart:
                resetConfiguration(installed);
                break;
            case ResetChoice::resetWithoutRestart:
                resetConfiguration(std::nullopt);
                break;
            case ResetChoice::cancel:
                break;
        }
    });
    resetBox_->open();
}

void SetupWindow::resetConfiguration(const std::optional<std::filesystem::path>& restart) {
    if (working_ || client_ == Client::cursor || !actions_) return;
    actions_->resetConfiguration(form(), restart);
}

void SetupWindow::shutDown() {
    std::shared_ptr<PendingAnswer> pending;
    {
        std::lock_guard lock(questionMutex_);
        closing_ = true;
        pending = pendingAnswer_;
    }
    if (pending) pending->give(false);
    if (questionBox_) questionBox_->close();
    if (resetBox_) resetBox_->close();
    if (actions_) actions_->stopAndWait();
}

void SetupWindow::closeEvent(QCloseEvent* event) {
    shutDown();
    event->accept();
}

void SetupWindow::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (enter && plain && mainButton_->isEnabled()) {
        mainButton_->animateClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SetupWindow::onWindowThread(std::function<void()> change) {
    if (QThread::currentThread() == thread()) {
        change();
        return;
    }
    QMetaObject::invokeMethod(this, std::move(change), Qt::QueuedConnection);
}

void SetupWindow::setStatus(const std::string& status) {
    onWindowThread([this, status] {
        status_ = status;
        showStatus();
    });
}

void SetupWindow::setFailed(bool failed) {
    onWindowThread([this, failed] {
        failed_ = failed;
        showStatus();
    });
}

void SetupWindow::setWorking(bool working) {
    onWindowThread([this, working] {
        working_ = working;
        showWorking();
    });
}

void SetupWindow::showGatewayModels(const std::vector<GatewayModel>& models) {
    onWindowThread([this, models] { probes_->offerModels(models); });
}

void SetupWindow::showModelCheck(std::size_t row, const ModelCheck& found) {
    onWindowThread([this, row, found] { probes_->markRow(row, found); });
}

void SetupWindow::clearKey() {
    onWindowThread([this] { key_->clear(); });
}

void SetupWindow::resetForm() {
    onWindowThread([this] { clearForm(); });
}

void SetupWindow::clearForm() {
    address_->clear();
    key_->clear();
    auth_->setCurrentIndex(0);
    rows_->setRows({ModelRow()});
    chosenPath_->setText(
        QString::fromStdString(userDefault(configurationPathKey(client_)).value_or("")));
    status_.clear();
    failed_ = false;
    showStatus();
}

bool SetupWindow::ask(const Question& question) {
    if (QThread::currentThread() == thread()) {
        {
            std::lock_guard lock(questionMutex_);
            if (closing_) return false;
        }
        const std::unique_ptr<QMessageBox> box = makeQuestionBox(question, this);
        box->exec();
        return box->clickedButton() == proceedButton(*box);
    }
    auto answer = std::make_shared<PendingAnswer>();
    {
        std::lock_guard lock(questionMutex_);
        if (closing_) return false;
        pendingAnswer_ = answer;
    }
    QMetaObject::invokeMethod(
        this, [this, question, answer] { showQuestion(question, answer); }, Qt::QueuedConnection);
    const bool proceed = answer->wait();
    std::lock_guard lock(questionMutex_);
    if (pendingAnswer_ == answer) pendingAnswer_.reset();
    return proceed;
}

void SetupWindow::showQuestion(const Question& question, std::shared_ptr<PendingAnswer> answer) {
    {
        std::lock_guard lock(questionMutex_);
        if (closing_) return;
    }
    questionBox_ = makeQuestionBox(question, this).release();
    questionBox_->setObjectName(QStringLiteral("question"));
    questionBox_->setAttribute(Qt::WA_DeleteOnClose);
    connect(questionBox_, &QMessageBox::finished, this, [this, box = questionBox_, answer] {
        questionBox_ = nullptr;
        answer->give(box->clickedButton() != nullptr &&
                     box->clickedButton() == proceedButton(*box));
    });
    questionBox_->open();
}

std::optional<std::string> SetupWindow::userDefault(const std::string& key) {
    return defaults_.value(key);
}

void SetupWindow::setUserDefault(const std::string& key, const std::string& value) {
    defaults_.setValue(key, value);
}

void SetupWindow::removeUserDefault(const std::string& key) { defaults_.remove(key); }

}  // namespace corvane
