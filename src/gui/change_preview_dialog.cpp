#include "gui/change_preview_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextCursor>
#include <QVBoxLayout>

#include "files/home_relative_path.h"
#include "gui/form_text.h"
#include "gui/interface_font.h"
#include "gui/signal_colours.h"
#include "model/displayable_lines.h"
#include "model/messages.h"
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
        case DiffLine::context:
            break;
    }
    return format;
}

// The home folder as "~", once the "a/" or "b/" of patch is gone.
QString readablePath(QStringView path) {
    if (path == u"/dev/null") return path.toString();
    return QString::fromStdString(homeRelativePath("/" + path.mid(2).toString().toStdString()));
}

QString readableLine(const QString& line, DiffLine kind) {
    if (kind == DiffLine::fileHeader) return line.left(4) + readablePath(QStringView(line).mid(4));
    QString readable = line;
    return readable.replace(QStringLiteral("<redacted>"),
                            qText(translated("gui.preview.key-hidden")));
}

QPlainTextEdit* diffView(const std::string& diff, QWidget* parent) {
    auto* view = new QPlainTextEdit(parent);
    view->setObjectName(QStringLiteral("previewText"));
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setFont(monospaceFont());
    QTextCursor cursor(view->document());
    DiffReader reader;
    QStringList lines = qText(diff).split(u'\n');
    if (lines.back().isEmpty()) lines.removeLast();
    bool first = true;
    for (QString line : lines) {
        // Lines keep the file's own endings; a CR shown would be noise.
        if (line.endsWith(u'\r')) line.chop(1);
        const DiffLine kind = reader.next(line);
        if (kind == DiffLine::note) continue;
        if (!first) cursor.insertBlock();
        first = false;
        // The files' text: shown escaped, so it cannot reorder the line.
        const QString shown = readableLine(qText(displayable(line.toStdString())), kind);
        cursor.insertText(shown, lineFormat(kind, parent->palette()));
    }
    view->moveCursor(QTextCursor::Start);
    return view;
}

}  // namespace

ChangePreviewDialog::ChangePreviewDialog(const std::string& diff, std::function<void()> onApply,
                                         QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("previewDialog"));
    setWindowTitle(qText(translated("gui.preview.title")));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    if (diff.empty()) {
        auto* nothing = new QLabel(qText(translated("gui.preview.nothing-to-change")), this);
        nothing->setObjectName(QStringLiteral("previewNothing"));
        layout->addWidget(nothing);
        setMinimumWidth(320);
    } else {
        resize(720, 480);
        auto* note =
            new QLabel(qText(translated("gui.preview.note",
                                        {{"hidden", translated("gui.preview.key-hidden")}})),
                       this);
        note->setObjectName(QStringLiteral("previewNote"));
        note->setTextFormat(Qt::PlainText);
        note->setWordWrap(true);
        layout->addWidget(note);
        layout->addWidget(diffView(diff, this));
    }
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(qText(translated("gui.preview.close")), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (!diff.empty()) {
        QPushButton* apply = buttons->addButton(qText(translated("gui.preview.apply")),
                                                QDialogButtonBox::AcceptRole);
        apply->setObjectName(QStringLiteral("previewApply"));
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(this, &QDialog::accepted, this, std::move(onApply));
    }
    layout->addWidget(buttons);
}

}  // namespace corvane
