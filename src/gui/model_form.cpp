#include "gui/model_form.h"

#include <QLabel>
#include <QVBoxLayout>

#include "gui/form_text.h"
#include "gui/model_rows_editor.h"
#include "workflow/client_texts.h"

namespace corvane {

ModelForm::ModelForm(std::function<void()> onRebuilt, QWidget* parent)
    : QWidget(parent),
      hint_(new QLabel(this)),
      editor_(new ModelRowsEditor(std::move(onRebuilt), this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    hint_->setObjectName(QStringLiteral("modelHint"));
    hint_->setWordWrap(true);
    hint_->setFont(scaledFont(font(), 0.92));
    layout->addWidget(hint_);
    layout->addWidget(editor_);
}

void ModelForm::setClient(Client client) {
    hint_->setText(QString::fromStdString(modelHint(client)));
    editor_->setClient(client);
}

void ModelForm::setRows(std::vector<ModelRow> rows) { editor_->setRows(std::move(rows)); }

const std::vector<ModelRow>& ModelForm::rows() const { return editor_->rows(); }

QList<QWidget*> ModelForm::focusChain() const { return editor_->focusChain(); }

}  // namespace corvane
