#include "gui/change_preview_dialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextCursor>
#include <QVBoxLayout>

#include "gui/form_text.h"
#include "gui/signal_colours.h"
#include "model/displayable_lines.h"
#include "model/text.h"

namespace corvane {
namespace {

enum class DiffLine { fileHeader, hunkHeader, added, removed, context, note };

// Reads a unified diff line by line. Inside a hunk its header's line counts
// decide, so a removed "-- text" line is not taken for a file header.
class DiffReader {
public:
    DiffLine next(QStringView line) {
        if (line.startsWith(u'\\')) return DiffLine::note;
        if (oldLeft_ > 0 || newLeft_ > 0) return insideHunk(line);
        if (line.startsWith(u"@@")) {
            startHunk(line);
            return DiffLine::hunkHeader;
        }
        if (line.startsWith(u"---") || line.startsWith(u"+++")) return DiffLine::fileHeader;
        return DiffLine::context;
    }

private:
    DiffLine insideHunk(QStringView line) {
        if (line.startsWith(u'+')) {
            --newLeft_;
            return DiffLine::added;
        }
        if (line.startsWith(u'-')) {
            --oldLeft_;
            return DiffLine::removed;
        }
        --oldLeft_;
        --newLeft_;
        return DiffLine::context;
    }

    void startHunk(QStringView line) {
        static const QRegularExpression header(
            QStringLiteral(R"(^@@ -\d+(?:,(\d+))? \+\d+(?:,(\d+))? @@)"));
        const QRegularExpressionMatch match = header.match(line);
        const auto count = [&](int group) {
            return match.hasCaptured(group) ? match.captured(group).toInt() : 1;
        };
        oldLeft_ = match.hasMatch() ? count(1) : 0;
        newLeft_ = match.hasMatch() ? count(2) : 0;
    }

    int oldLeft_ = 0;
    int newLeft_ = 0;
};

QTextCharFormat lineFormat(DiffLine kind, const QPalette& palette) {
    QTextCharFormat format;
    switch (kind) {
        case DiffLine::fileHeader:
            format.setFontWeight(QFont::Bold);
            break;
        case DiffLine::hunkHeader:
            format.setForeground(hunkColor(palette));
            break;
        case DiffLine::added:
            format.setForeground(successColor(palette));
            break;
        case DiffLine::removed:
            format.setForeground(failureColor(palette));
            break;
        case DiffLine::note:
            format.setForeground(palette.color(QPalette::PlaceholderText));
            break;
        case DiffLine::context:
            break;
    }
    return format;
}

QPlainTextEdit* diffView(const std::string& diff, QWidget* parent) {
    auto* view = new QPlainTextEdit(parent);
    view->setObjectName(QStringLiteral("previewText"));
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QTextCursor cursor(view->document());
    DiffReader reader;
    QStringList lines = qText(diff).split(u'\n');
    if (lines.back().isEmpty()) lines.removeLast();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        // Lines keep the file's own endings; a CR shown would be noise.
        if (line.endsWith(u'\r')) line.chop(1);
        if (i > 0) cursor.insertBlock();
        // The files' text: shown escaped, so it cannot reorder the line.
        const QString shown = qText(displayable(line.toStdString()));
        cursor.insertText(shown, lineFormat(reader.next(line), parent->palette()));
    }
    view->moveCursor(QTextCursor::Start);
    return view;
}

}  // namespace

ChangePreviewDialog::ChangePreviewDialog(const std::string& diff, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("previewDialog"));
    setWindowTitle(QStringLiteral("预览更改"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    if (diff.empty()) {
        auto* nothing = new QLabel(QStringLiteral("没有需要写入的更改。"), this);
        nothing->setObjectName(QStringLiteral("previewNothing"));
        layout->addWidget(nothing);
        setMinimumWidth(320);
    } else {
        resize(720, 480);
        auto* note = new QLabel(
            QStringLiteral("应用后，以下文件将这样更改（尚未写入；API Key 显示为 <redacted>）："),
            this);
        note->setObjectName(QStringLiteral("previewNote"));
        note->setTextFormat(Qt::PlainText);
        note->setWordWrap(true);
        layout->addWidget(note);
        layout->addWidget(diffView(diff, this));
    }
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

}  // namespace corvane
