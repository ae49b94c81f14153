#include "gui/change_preview_dialog.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>

#include "gui/form_text.h"
#include "gui/signal_colours.h"
#include "support/catalogue_text.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

struct PreviewCase {
    const char* name;
    std::string diff;
    // One letter a line: f file header, h hunk header, + added, - removed,
    // c context (a note on the last line's ending is not shown).
    std::string kinds;
};

// What a line of each kind looks like: its colour (none: the text's own) and
// whether it is bold.
std::pair<QString, bool> expectedLook(char kind, const QPalette& palette) {
    switch (kind) {
        case 'f':
            return {QString(), true};
        case 'h':
            return {hunkColor(palette).name(), false};
        case '+':
            return {successColor(palette).name(), false};
        case '-':
            return {failureColor(palette).name(), false};
        default:
            return {QString(), false};
    }
}

TEST(ChangePreviewDialog, ColoursEachLineOfTheDiffByWhatItIs) {
    const PreviewCase cases[] = {
        {"one file changed, its lines ending in CR LF",
         "--- a/home/u/.codex/config.toml\n+++ b/home/u/.codex/config.toml\n@@ -1,2 +1,2 @@\n"
         "-model = \"o3\"\r\n+model = \"gpt-5\"\r\n [history]\r\n",
         "ffh-+c"},
        {"removed lines that look like headers, then a new file",
         "--- a/h.yaml\n+++ b/h.yaml\n@@ -1,3 +1,1 @@\n----\n--- yaml\n keep\n"
         "--- /dev/null\n+++ b/new.json\n@@ -0,0 +1 @@\n+{}\n\\ No newline at end of file\n",
         "ffh--cffh+"},
    };
    for (const PreviewCase& entry : cases) {
        SCOPED_TRACE(entry.name);
        ChangePreviewDialog dialog(entry.diff, [] {});
        auto* view = dialog.findChild<QPlainTextEdit*>("previewText");
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(view->isReadOnly());
        // Measured, since Qt calls some monospace fonts proportional.
        const QFontMetricsF metrics(view->font());
        EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("iiii")),
                  metrics.horizontalAdvance(QStringLiteral("MMMM")))
            << QFontInfo(view->font()).family().toStdString();
        EXPECT_FALSE(view->toPlainText().contains('\r'));
        ASSERT_EQ(view->blockCount(), static_cast<int>(entry.kinds.size()));
        QTextBlock block = view->document()->begin();
        for (char kind : entry.kinds) {
            SCOPED_TRACE(block.text().toStdString());
            const QTextCharFormat format = block.begin().fragment().charFormat();
            const QString colour = format.foreground().style() == Qt::NoBrush
                                       ? QString()
                                       : format.foreground().color().name();
            EXPECT_EQ(std::make_pair(colour, format.fontWeight() == QFont::Bold),
                      expectedLook(kind, dialog.palette()));
            block = block.next();
        }
    }
}

TEST(ChangePreviewDialog, ShowsPathsFromHomeTheKeyInWordsAndOffersToApply) {
    const testing::TempHome home;
    const std::string file = (home.path() / ".codex/config.toml").string().substr(1);
    int applied = 0;
    ChangePreviewDialog dialog("--- a/" + file + "\n+++ b/" + file + "\n@@ -1 +1 @@\n-k = 1\n" +
                                   "+token = \"<redacted>\"\n\\ No newline at end of file\n" +
                                   "--- /dev/null\n+++ b/srv/x.json\n@@ -0,0 +1 @@\n+{}\n",
                               [&] { ++applied; });
    EXPECT_EQ(dialog.findChild<QPlainTextEdit*>("previewText")->toPlainText(),
              qText("--- ~/.codex/config.toml\n+++ ~/.codex/config.toml\n@@ -1 +1 @@\n-k = 1\n"
                    "+token = \"" +
                    testing::zh("gui.preview.key-hidden") +
                    "\"\n--- /dev/null\n+++ /srv/x.json\n@@ -0,0 +1 @@\n+{}"));
    auto* apply = dialog.findChild<QPushButton*>("previewApply");
    ASSERT_NE(apply, nullptr);
    EXPECT_EQ(apply->text(), qText(testing::zh("gui.preview.apply")));
    apply->click();
    EXPECT_EQ(applied, 1);
}

TEST(ChangePreviewDialog, SaysSoWhenNothingWouldChange) {
    ChangePreviewDialog dialog("", [] {});
    EXPECT_EQ(dialog.findChild<QPushButton*>("previewApply"), nullptr);
    EXPECT_EQ(dialog.findChild<QPlainTextEdit*>(), nullptr);
    EXPECT_EQ(dialog.findChild<QLabel*>("previewNothing")->text(),
              qText(testing::zh("gui.preview.nothing-to-change")));
}

}  // namespace
}  // namespace corvane
