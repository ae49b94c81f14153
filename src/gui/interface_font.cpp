#include "gui/interface_font.h"

#include <QApplication>
#include <QFontDatabase>

namespace corvane {

void useInterfaceFont() {
#ifndef __APPLE__
    const QString family = QStringLiteral("Noto Sans CJK SC");
    if (!QFontDatabase::hasFamily(family)) return;
    QFont font = QApplication::font();
    font.setFamilies({family, font.family()});
    QApplication::setFont(font);
#endif
}

}  // namespace corvane
