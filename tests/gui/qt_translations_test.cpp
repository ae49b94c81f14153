#include "gui/qt_translations.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QLocale>
#include <QPushButton>

namespace corvane {
namespace {

struct QtLanguageCase {
    Language language;
    // Qt's own word on a standard button, from Qt's catalogue.
    QString cancel;
    QLocale::Language locale;
};

// Qt's dialogs and standard buttons speak the window's language, and a later
// choice replaces an earlier one.
TEST(QtTranslations, QtsOwnButtonsFollowTheChosenLanguage) {
    const QLocale before;
    const QtLanguageCase cases[] = {
        {Language::english, QStringLiteral("Cancel"), QLocale::English},
        {Language::chinese, QStringLiteral("取消"), QLocale::Chinese},
        {Language::english, QStringLiteral("Cancel"), QLocale::English},
    };
    for (const QtLanguageCase& entry : cases) {
        SCOPED_TRACE(entry.cancel.toStdString());
        useQtTranslations(entry.language);
        const QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), entry.cancel);
        EXPECT_EQ(QLocale().language(), entry.locale);
    }
    QLocale::setDefault(before);
}

}  // namespace
}  // namespace corvane
