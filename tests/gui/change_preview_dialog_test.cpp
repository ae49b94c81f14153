#include "gui/change_preview_dialog.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "gui/signal_colours.h"

namespace corvane {
namespace {

struct PreviewCase {
    const char* name;
    std::string diff;
    // One letter a line: f file header, h hunk header, + added, - removed,
    // c context, n note.
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
        case 'n':
            return {palette.color(QPalette::PlaceholderText).name(), false};
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
         "ffh--cffh+n"},
    };
    for (const PreviewCase& entry : cases) {
        SCOPED_TRACE(entry.name);
        ChangePreviewDialog dialog(entry.diff);
        auto* view = dialog.findChild<QPlainTextEdit*>("previewText");
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(view->isReadOnly());
        EXPECT_TRUE(QFontInfo(view->font()).fixedPitch());
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

TEST(ChangePreviewDialog, SaysSoWhenNothingWouldChange) {
    ChangePreviewDialog dialog("");
    EXPECT_EQ(dialog.findChild<QPlainTextEdit*>(), nullptr);
    EXPECT_EQ(dialog.findChild<QLabel*>("previewNothing")->text(), "没有需要写入的更改。");
}

}  // namespace
}  // namespace corvane
