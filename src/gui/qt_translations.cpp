#include "gui/qt_translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace corvane {

void useQtTranslations(Language language) {
    if (language == Language::english) {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        return;
    }
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    // Owned by the application, which keeps it for its whole life.
    auto* translator = new QTranslator(QCoreApplication::instance());
    // The macOS bundle carries Qt's catalogue in its Resources; elsewhere it
    // is where the system's Qt keeps its translations.
    const QString folders[] = {QDir(QCoreApplication::applicationDirPath())
                                   .filePath(QStringLiteral("../Resources/translations")),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    for (const QString& folder : folders) {
        if (translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
            return;
        }
    }
    delete translator;
}

}  // namespace corvane
