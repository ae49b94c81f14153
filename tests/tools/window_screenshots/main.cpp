// Renders the setup window for every client, and a few states worth a look,
// into PNG files in the folder given as the only argument.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

#include "gui/alerts.h"
#include "gui/interface_font.h"
#include "gui/setup_window.h"

namespace {

// Reports every application as installed, so that the reset alert shows all
// its buttons; starts nothing.
class InstalledEverywhere : public corvane::SetupActions {
public:
    bool submit(const corvane::SetupForm&) override { return false; }
    bool resetConfiguration(const corvane::SetupForm&,
                            const std::optional<std::filesystem::path>&) override {
        return false;
    }
    bool fetchGatewayModels(const corvane::SetupForm&) override { return false; }
    bool testConnection(const corvane::SetupForm&) override { return false; }
    bool working() const override { return false; }
    std::optional<std::filesystem::path> installedApplication(corvane::Client) override {
        return "/Applications/Example.app";
    }
    void stopAndWait() override {}
};

void settle() {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 150) QApplication::processEvents(QEventLoop::AllEvents, 20);
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

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral("0.1.0"));
    corvane::useInterfaceFont();
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_screenshots <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
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
    window.setWorking(true);
    window.setStatus("验证模型 2 / 3");
    settle();
    written &= save(window, folder, "state-working");
    window.setWorking(false);
    window.setFailed(true);
    window.setStatus("「gpt-4o」返回 HTTP 401。请核对 Key、认证方式和模型权限。");
    settle();
    written &= save(window, folder, "state-failed");

    window.resize(window.minimumSize());
    settle();
    written &= save(window, folder, "state-minimum-size");

    window.selectClient(corvane::Client::openClaw);
    window.confirmReset();
    settle();
    if (auto* box = window.findChild<QMessageBox*>(QStringLiteral("resetConfirmation"))) {
        written &= save(*box, folder, "alert-reset-openClaw");
        box->reject();
    }
    const corvane::Question restart{"应用配置并重启 WorkBuddy？",
                                    "请先保存该应用中的工作。重启会结束正在运行的任务。",
                                    "应用并重启", "取消"};
    const auto question = corvane::makeQuestionBox(restart, &window);
    question->open();
    settle();
    written &= save(*question, folder, "alert-restart-question");
    return written ? 0 : 1;
}
