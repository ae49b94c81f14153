#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

namespace {

// A text built with a placeholder that has no argument (or the reverse) shows
// the user a raw "%4"; Qt only warns, so the test that showed it fails here.
QtMessageHandler qtHandler = nullptr;

void failOnFormatSlips(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QStringLiteral("QString::arg"))) {
        ADD_FAILURE() << message.toStdString();
    }
    if (qtHandler != nullptr) qtHandler(type, context, message);
}

}  // namespace

// The window needs a QApplication before any test; the user defaults go to a
// temporary folder, never to the real settings.
int main(int argc, char** argv) {
    qtHandler = qInstallMessageHandler(failOnFormatSlips);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral("9.8.7"));
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
