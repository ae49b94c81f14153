#pragma once

#include <QDialog>
#include <functional>
#include <string>

namespace corvane {

// gui.preview.title: the unified diff of a dry run, read only, in a fixed-width font;
// added lines green, removed lines red, file and hunk headers set apart. It
// is read by people, not by patch: paths start at "~" for the home folder,
// without patch's "a/" and "b/", the note on a last line without an ending is
// left out and the key reads gui.preview.key-hidden. An empty diff says that
// nothing would change; otherwise gui.preview.apply runs `onApply`.
class ChangePreviewDialog : public QDialog {
public:
    ChangePreviewDialog(const std::string& diff, std::function<void()> onApply,
                        QWidget* parent = nullptr);
};

}  // namespace corvane
