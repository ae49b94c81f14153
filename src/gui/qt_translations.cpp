#include "gui/qt_translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace corvane {
namespace {

constexpr QLatin1String kTranslatorName("qtTranslations");

}  // namespace

void useQtTranslations(Language language) {
    // A second call replaces the catalogue of the first: a translator left
    // installed would keep Qt's buttons Chinese in an English window.
    delete QCoreApplication::instance()->findChild<QTranslator*>(kTranslatorName,
                                                                 Qt::FindDirectChildrenOnly);
    if (language == Language::english) {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        return;
    }
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    // Owned by the application, which keeps it for its whole life.
    auto* translator = new QTranslator(QCoreApplication::instance());
    translator->setObjectName(kTranslatorName);
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
