#include "gui/model_rows_editor.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/form_text.h"
#include "gui/icons.h"
#include "gui/signal_colours.h"
#include "model/messages.h"

namespace corvane {
namespace {

constexpr int kModelRowHeight = 32;
constexpr int kRemoveColumnWidth = 26;

}  // namespace

ModelRowsEditor::ModelRowsEditor(std::function<void()> onRebuilt, QWidget* parent)
    : QWidget(parent),
      onRebuilt_(std::move(onRebuilt)),
      grid_(new QGridLayout),
      addButton_(
          new QPushButton(symbolIcon("plus"), qText(translated("gui.model-rows.add")), this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    grid_->setHorizontalSpacing(12);
    grid_->setVerticalSpacing(0);
    layout->addLayout(grid_);
    auto* addLine = new QHBoxLayout;
    addButton_->setObjectName(QStringLiteral("addModelButton"));
    addLine->addWidget(addButton_);
    addLine->addStretch();
    layout->addLayout(addLine);
    connect(addButton_, &QPushButton::clicked, this, [this] {
        rows_.emplace_back();
        rebuild();
        if (auto* field = findChild<QLineEdit*>(qText("modelID." + rows_.back().id))) {
            field->setFocus();
        }
    });
    rebuild();
}

void ModelRowsEditor::setClient(Client client) {
    client_ = client;
    rebuild();
}

void ModelRowsEditor::setRows(std::vector<ModelRow> rows) {
    rows_ = std::move(rows);
    marks_.clear();
    rebuild();
}

void ModelRowsEditor::setMark(const std::string& rowId, const QString& text, const QString& toolTip,
                              bool passed) {
    marks_[rowId] = {text, toolTip, passed};
    rebuild();
}

void ModelRowsEditor::clearMarks() {
    marks_.clear();
    rebuild();
}

void ModelRowsEditor::removeRow(const std::string& id) {
    std::erase_if(rows_, [&id](const ModelRow& row) { return row.id == id; });
    if (rows_.empty()) rows_.emplace_back();
    rebuild();
}

void ModelRowsEditor::rebuild() {
    for (QWidget* widget : rowWidgets_) {
        grid_->removeWidget(widget);
        widget->hide();
        widget->deleteLater();
    }
    rowWidgets_.clear();
    while (grid_->count() > 0) delete grid_->takeAt(0);
    // The grid keeps the rows it once had; emptied ones must give back their
    // height, or every removed model line leaves a gap behind.
    for (int line = 0; line < grid_->rowCount(); ++line) grid_->setRowMinimumHeight(line, 0);

    const bool displayName = supportsDisplayName(client_);
    const bool multiple = supportsMultiple(client_);
    // Shown at once rather than by the layout's queued call, so the focus
    // chain reaches them straight away.
    auto place = [this](QWidget* widget, int row, int column) {
        grid_->addWidget(widget, row, column);
        widget->show();
        rowWidgets_.append(widget);
    };

    place(new QLabel(QStringLiteral("Model ID"), this), 0, 0);
    if (displayName)
        place(new QLabel(qText(translated("gui.model-rows.display-name-optional")), this), 0, 1);
    grid_->setColumnStretch(0, 1);
    grid_->setColumnStretch(1, displayName ? 1 : 0);
    grid_->setColumnMinimumWidth(2, multiple ? kRemoveColumnWidth : 0);

    int line = 1;
    for (const ModelRow& row : rows_) {
        const std::string id = row.id;
        auto* modelID = new QLineEdit(qText(row.modelID), this);
        modelID->setObjectName(qText("modelID." + id));
        modelID->setPlaceholderText(qText(translated("gui.model-rows.model-id-prompt")));
        modelID->setAccessibleName(QStringLiteral("Model ID"));
        modelID->setMinimumHeight(kModelRowHeight - 6);
        connect(modelID, &QLineEdit::textChanged, this, [this, id](const QString& text) {
            for (ModelRow& entry : rows_) {
                if (entry.id == id) entry.modelID = text.toStdString();
            }
            // The mark was for the ID as it was.
            if (marks_.erase(id) > 0) {
                if (auto* mark = findChild<QLabel*>(qText("mark." + id))) mark->hide();
            }
        });
        place(modelID, line, 0);
        grid_->setRowMinimumHeight(line, kModelRowHeight);

        if (displayName) {
            auto* name = new QLineEdit(qText(row.displayName), this);
            name->setObjectName(qText("displayName." + id));
            name->setPlaceholderText(qText(translated("gui.model-rows.display-name-prompt")));
            name->setAccessibleName(qText(translated("gui.model-rows.display-name")));
            name->setMinimumHeight(kModelRowHeight - 6);
            connect(name, &QLineEdit::textChanged, this, [this, id](const QString& text) {
                for (ModelRow& entry : rows_) {
                    if (entry.id == id) entry.displayName = text.toStdString();
                }
            });
            place(name, line, 1);
        }

        if (multiple) {
            auto* remove = new QToolButton(this);
            remove->setObjectName(qText("remove." + id));
            remove->setIcon(symbolIcon("minus.circle"));
            remove->setAutoRaise(true);
            remove->setAccessibleName(qText(translated("gui.model-rows.remove")));
            remove->setToolTip(qText(translated("gui.model-rows.remove")));
            remove->setFixedWidth(kRemoveColumnWidth);
            remove->setFocusPolicy(Qt::StrongFocus);
            remove->setEnabled(rows_.size() != 1);
            // Queued: the button that was clicked is among the widgets the
            // removal replaces.
            connect(remove, &QToolButton::clicked, this, [this, id] {
                QMetaObject::invokeMethod(
                    this, [this, id] { removeRow(id); }, Qt::QueuedConnection);
            });
            place(remove, line, 2);
        }
        if (const auto mark = marks_.find(id); mark != marks_.end()) {
            auto* label = new QLabel(mark->second.text, this);
            label->setObjectName(qText("mark." + id));
            label->setToolTip(plainToolTip(mark->second.toolTip));
            label->setAccessibleDescription(mark->second.toolTip);
            QPalette colours = label->palette();
            colours.setColor(QPalette::WindowText,
                             mark->second.passed ? successColor(colours) : failureColor(colours));
            label->setPalette(colours);
            place(label, line, 3);
        }
        ++line;
    }
    addButton_->setVisible(multiple);
    if (onRebuilt_) onRebuilt_();
}

QList<QWidget*> ModelRowsEditor::focusChain() const {
    QList<QWidget*> chain;
    for (QWidget* widget : rowWidgets_) {
        if (widget->focusPolicy() != Qt::NoFocus) chain.append(widget);
    }
    if (supportsMultiple(client_)) chain.append(addButton_);
    return chain;
}

}  // namespace corvane
