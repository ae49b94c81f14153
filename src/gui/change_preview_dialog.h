#pragma once

#include <QDialog>
#include <string>

namespace corvane {

// "预览更改": the unified diff of a dry run, read only, in a fixed-width font;
// added lines green, removed lines red, file and hunk headers set apart. An
// empty diff says that nothing would change.
class ChangePreviewDialog : public QDialog {
public:
    explicit ChangePreviewDialog(const std::string& diff, QWidget* parent = nullptr);
};

}  // namespace corvane
