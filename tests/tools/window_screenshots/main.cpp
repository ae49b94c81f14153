// Renders the setup window for every client, a few states worth a look, the
// alerts and dialogs and the file chooser into PNG files in the folder given as the first
// argument; "--dark" renders them in a dark palette and "--lang en" in English.
// The pixel ratio comes from QT_SCALE_FACTOR.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QToolButton>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "gui/alerts.h"
#include "gui/interface_font.h"
#include "gui/qt_translations.h"
#include "gui/setup_window.h"
#include "gui/window_commands.h"
#include "model/language.h"
#include "model/messages.h"

namespace {

// Reports every application as installed, so that the reset alert shows all
// its buttons, but WorkBuddy and Hermes as missing from the sidebar, and Codex
// as configured; starts nothing.
class InstalledEverywhere : public corvane::SetupActions {
public:
    bool submit(const corvane::SetupForm&) override { return false; }
    bool resetConfiguration(const corvane::SetupForm&,
                            const std::optional<std::filesystem::path>&) override {
        return false;
    }
    bool fetchGatewayModels(const corvane::SetupForm&) override { return false; }
    bool testConnection(const corvane::SetupForm&) override { return false; }
    bool previewSubmit(const corvane::SetupForm&) override { return false; }
    bool working() const override { return false; }
    std::optional<std::filesystem::path> installedApplication(corvane::Client) override {
        return "/Applications/Example.app";
    }
    corvane::Installation installation(corvane::Client client) override {
        return client == corvane::Client::workBuddy || client == corvane::Client::hermes
                   ? corvane::Installation::missing
                   : corvane::Installation::application;
    }
    corvane::ClientConfigurationStatus configurationStatus(corvane::Client client,
                                                           const std::string&) override {
        corvane::ClientConfigurationStatus status;
        status.configured = client == corvane::Client::codex;
        if (client == corvane::Client::codex) {
            status.address = "https://gw.example.com";
            status.models = {"gpt-5-codex", "o3-mini"};
        }
        return status;
    }
    void requestStop() override {}
    void stopAndWait() override {}
};

// A dry run's diff as the core gives it, the key already redacted; the home
// folder stands for the user's, so that the dialog shows it as ~.
constexpr const char* kPreviewDiff =
    "--- a/home/user/.codex/config.toml\n"
    "+++ b/home/user/.codex/config.toml\n"
    "@@ -1,3 +1,9 @@\n"
    "-model = \"o3\"\n"
    "+model = \"gpt-5-codex\"\n"
    "+model_provider = \"corvane_desktop_setup\"\n"
    " [history]\n"
    " persistence = \"none\"\n"
    "+\n"
    "+[model_providers.corvane_desktop_setup]\n"
    "+name = \"Corvane\"\n"
    "+base_url = \"https://gw.example.com/v1\"\n"
    "+experimental_bearer_token = \"<redacted>\"\n"
    "--- /dev/null\n"
    "+++ b/home/user/.codex/corvane-models.json\n"
    "@@ -0,0 +1,2 @@\n"
    "+[{\"slug\": \"gpt-5-codex\"},\n"
    "+ {\"slug\": \"o3-mini\"}]\n"
    "\\ No newline at end of file\n";

// A dark palette of the kind desktop themes give Qt.
QPalette darkPalette() {
    QPalette palette;
    const QColor window(0x2b, 0x2b, 0x2d), base(0x1e, 0x1e, 0x20), text(0xe6, 0xe6, 0xe6);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3d));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x9a, 0x9e));
    palette.setColor(QPalette::Highlight, QColor(0x2f, 0x7c, 0xf6));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Light, QColor(0x4a, 0x4a, 0x4e));
    palette.setColor(QPalette::Midlight, QColor(0x40, 0x40, 0x44));
    palette.setColor(QPalette::Mid, QColor(0x46, 0x46, 0x4a));
    palette.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x1a));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, QColor(0x78, 0x78, 0x7c));
    }
    return palette;
}

void settle() {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 150) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        // Outside a running event loop, widgets left for deletion stay.
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

bool save(QWidget& widget, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name + ".png");
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

void fill(corvane::SetupWindow& window, const QString& name, const QString& text) {
    if (auto* field = window.findChild<QLineEdit*>(name)) field->setText(text);
}

}  // namespace

int main(int argc, char** argv) {
    // A home of its own: the file chooser shows a usual Hermes folder and no
    // setting of this machine is read or written.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    std::filesystem::create_directories(home.path().toStdString() + "/.hermes");
    std::ofstream(home.path().toStdString() + "/.hermes/config.yaml") << "model: {}\n";

    const std::vector<std::string> given(argv + 1, argv + argc);
    const std::optional<std::string> languageName = corvane::languageArgument(given);
    const std::vector<std::string> arguments = corvane::withoutLanguageArgument(given);
    if (arguments.empty() || arguments.size() > 2 ||
        (arguments.size() == 2 && arguments[1] != "--dark") ||
        (languageName && !corvane::languageNamed(*languageName))) {
        std::fprintf(stderr, "usage: window_screenshots <folder> [--dark] [--lang zh|en]\n");
        return 2;
    }
    // Chinese unless "--lang en" asks for English: the pictures do not depend
    // on this machine's languages.
    corvane::chooseLanguage(corvane::startLanguage(languageName, {}));
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral("0.1.0"));
    corvane::useInterfaceFont();
    corvane::useQtTranslations(corvane::chosenLanguage());
    if (arguments.size() == 2) QApplication::setPalette(darkPalette());
    const QDir folder(QString::fromStdString(arguments[0]));
    if (!folder.mkpath(QStringLiteral("."))) return 1;

    InstalledEverywhere actions;
    corvane::SetupWindow window;
    window.setActions(&actions);
    window.show();
    bool written = true;
    for (corvane::Client client : corvane::allClients()) {
        window.selectClient(client);
        settle();
        written &=
            save(window, folder, "window-" + QString::fromUtf8(corvane::caseName(client).data()));
    }

    // Three model rows, work in progress and then a long failure message.
    window.selectClient(corvane::Client::codex);
    auto* add = window.findChild<QPushButton*>(QStringLiteral("addModelButton"));
    add->click();
    add->click();
    settle();
    fill(window, QStringLiteral("address"), QStringLiteral("https://gw.example.com/v1"));
    fill(window, QStringLiteral("key"), QStringLiteral("sk-example"));
    const char* models[] = {"gpt-5-codex", "gpt-4o", "o3-mini"};
    const std::vector<corvane::ModelRow> rows = window.form().rows;
    for (std::size_t i = 0; i < rows.size() && i < 3; ++i) {
        fill(window, QString::fromStdString("modelID." + rows[i].id), models[i]);
    }
    window.setWorking(true);
    window.setStatus(
        corvane::translated("workflow.check.model-progress", {{"index", "2"}, {"total", "3"}}));
    settle();
    written &= save(window, folder, "state-working");
    window.setWorking(false);
    window.setFailed(true);
    window.setStatus(corvane::translated("workflow.check.failed"));
    settle();
    written &= save(window, folder, "state-failed");
    window.setFailed(false);
    window.setStatus(corvane::translated("workflow.check.passed"));
    window.finished(corvane::WorkflowOutcome::succeeded);
    settle();
    written &= save(window, folder, "state-succeeded");

    window.resize(window.minimumSize());
    settle();
    written &= save(window, folder, "state-minimum-size");

    // One model row and a failure with its detail open, at the minimum size.
    window.selectClient(corvane::Client::openClaw);
    window.fail(corvane::translated("workflow.apply.failed"),
                corvane::translated("workflow.failure.json-parse", {{"byte", "318"}}));
    settle();
    if (auto* toggle = window.findChild<QToolButton*>(QStringLiteral("failureDetailToggle"))) {
        toggle->click();
    }
    settle();
    written &= save(window, folder, "state-minimum-size-detail");
    window.resize(870, 550);
    window.setFailed(false);

    // Keyboard focus on a button, as Tab leaves it.
    if (auto* test = window.findChild<QPushButton*>(QStringLiteral("testConnectionButton"))) {
        window.activateWindow();
        test->setFocus(Qt::TabFocusReason);
        window.setAttribute(Qt::WA_KeyboardFocusChange);
        window.update();
        settle();
        written &= save(window, folder, "state-keyboard-focus");
    }

    window.selectClient(corvane::Client::openClaw);
    window.confirmReset();
    settle();
    if (auto* box = window.findChild<QMessageBox*>(QStringLiteral("resetConfirmation"))) {
        written &= save(*box, folder, "alert-reset-openClaw");
        box->reject();
    }
    const corvane::Question restart{corvane::translated("workflow.restart.question.apply-title",
                                                        {{"application", "WorkBuddy"}}),
                                    corvane::translated("workflow.restart.question.text"),
                                    corvane::translated("workflow.button.apply-restart"),
                                    corvane::translated("workflow.question.cancel")};
    const auto question = corvane::makeQuestionBox(restart, &window);
    question->open();
    settle();
    written &= save(*question, folder, "alert-restart-question");
    question->reject();

    const corvane::WindowCommands commands = corvane::makeWindowCommands(window, {});
    commands.about->trigger();
    settle();
    if (auto* about = window.findChild<QMessageBox*>(QStringLiteral("aboutBox"))) {
        written &= save(*about, folder, "alert-about");
        about->accept();
    }

    const std::string homeDiff =
        QString::fromUtf8(kPreviewDiff).replace("/home/user", QDir::homePath()).toStdString();
    for (const std::string& diff : {homeDiff, std::string()}) {
        window.showPreview(diff);
        settle();
        if (auto* dialog = window.findChild<QDialog*>(QStringLiteral("previewDialog"))) {
            written &=
                save(*dialog, folder, diff.empty() ? "dialog-preview-nothing" : "dialog-preview");
            dialog->reject();
            settle();
        } else {
            written = false;
        }
    }

    window.selectClient(corvane::Client::openCode);
    window.showGatewayModels({{"gpt-5-codex", "GPT-5 Codex"},
                              {"claude-sonnet-4-5", "Claude Sonnet 4.5"},
                              {"deepseek-chat", std::nullopt},
                              {"qwen3-coder-plus", "Qwen3 Coder Plus"}});
    settle();
    if (auto* dialog = window.findChild<QDialog*>(QStringLiteral("gatewayModelsDialog"))) {
        written &= save(*dialog, folder, "dialog-gateway-models");
        dialog->reject();
        settle();
    } else {
        written = false;
    }

    window.selectClient(corvane::Client::hermes);
    window.chooseConfigurationFile();
    settle();
    if (auto* panel = window.findChild<QFileDialog*>(QStringLiteral("openPanel"))) {
        written &= save(*panel, folder, "file-chooser");
        panel->reject();
    } else {
        written = false;
    }
    return written ? 0 : 1;
}
