// A Qt window with one label, of the setup window's size, that reports its
// first paint the way corvane-setup does under CORVANE_EXIT_AFTER_SHOW.
#include <QApplication>
#include <QLabel>

#include "gui/first_paint_reporter.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Hello"));
    window.resize(870, 550);
    corvane::FirstPaintReporter reporter;
    window.installEventFilter(&reporter);
    window.show();
    return app.exec();
}
