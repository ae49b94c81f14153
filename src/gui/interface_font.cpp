#include "gui/interface_font.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>

namespace corvane {

namespace {

bool lettersShareOneWidth(const QFont& font) {
    const QFontMetricsF metrics(font);
    const qreal width = metrics.horizontalAdvance(u'M');
    for (const QChar letter : QStringLiteral("il.W0 ")) {
        if (!qFuzzyCompare(metrics.horizontalAdvance(letter), width)) return false;
    }
    return true;
}

}  // namespace

void useInterfaceFont() {
#ifndef __APPLE__
    // Where it is missing, Qt passes on to the next family. Asking first
    // would have Qt list every family installed, which costs the first paint
    // about 7 ms.
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), font.family()});
    QApplication::setFont(font);
#endif
}

QFont monospaceFont() {
    const QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QString preferred[] = {QStringLiteral("Noto Sans Mono CJK SC"),
                                 QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Menlo"),
                                 QStringLiteral("Liberation Mono")};
    for (const QString& family : preferred) {
        if (!QFontDatabase::hasFamily(family)) continue;
        QFont font = system;
        font.setFamilies({family});
        if (lettersShareOneWidth(font)) return font;
    }
    return system;
}

}  // namespace corvane
