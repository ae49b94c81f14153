#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>

#include "gui/icons.h"
#include "gui/interface_font.h"
#include "gui/setup_window.h"
#include "platform/memory_privacy.h"
#include "platform/workspace.h"
#include "workflow/setup_session.h"

namespace {

// With CORVANE_EXIT_AFTER_SHOW set, the program prints the wall-clock time of
// the window's first paint and quits: the start-up benchmark reads it.
class FirstPaintReporter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !reported_) {
            reported_ = true;
            const auto now = std::chrono::system_clock::now().time_since_epoch();
            std::printf("first-paint %lld\n",
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool reported_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    corvane::keepMemoryPrivate();
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("corvane-setup"));
    QApplication::setWindowIcon(corvane::applicationIcon());
    corvane::useInterfaceFont();

    // No updater is built in, so there is no command to check for updates.
    const std::unique_ptr<corvane::Workspace> workspace = corvane::makeSystemWorkspace();
    corvane::SetupWindow window;
    corvane::SetupSession session(window, corvane::WorkflowServices(*workspace));
    window.setActions(&session);
    FirstPaintReporter reporter;
    if (qEnvironmentVariableIsSet("CORVANE_EXIT_AFTER_SHOW")) window.installEventFilter(&reporter);
    window.show();
    const int status = app.exec();
    // A worker waiting for an answer must get one before the session joins it.
    window.shutDown();
    return status;
}
