#include "gui/gateway_models_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/form_text.h"
#include "gui/signal_colours.h"
#include "model/messages.h"
#include "model/text.h"

namespace corvane {

namespace {

QString lineText(const GatewayModel& model) {
    // The gateway's words: shown escaped, so they cannot reorder the line.
    const std::string id = displayable(model.id);
    if (!model.name || model.name->empty() || *model.name == model.id) return qText(id);
    return qText(
        translated("gui.gateway-models.line", {{"id", id}, {"name", displayable(*model.name)}}));
}

}  // namespace

GatewayModelsDialog::GatewayModelsDialog(std::vector<GatewayModel> models, QWidget* parent)
    : QDialog(parent),
      models_(std::move(models)),
      search_(new QLineEdit(this)),
      list_(new QListWidget(this)) {
    setObjectName(QStringLiteral("gatewayModelsDialog"));
    setWindowTitle(qText(translated("gui.probe.fetch-models")));
    setModal(true);
    resize(420, 460);
    auto* layout = new QVBoxLayout(this);
    auto* note =
        new QLabel(qText(translatedCount("gui.gateway-models.listed",
                                         "gui.gateway-models.listed.plural", models_.size())),
                   this);
    note->setObjectName(QStringLiteral("gatewayModelsNote"));
    layout->addWidget(note);
    search_->setObjectName(QStringLiteral("gatewayModelsSearch"));
    search_->setPlaceholderText(qText(translated("gui.gateway-models.search")));
    search_->setClearButtonEnabled(true);
    layout->addWidget(search_);
    list_->setObjectName(QStringLiteral("gatewayModelsList"));
    // Fusion draws an unchecked box's frame in the window colour, darkened:
    // on a dark palette the frame vanishes into the list. A light window
    // colour for the list alone gives it back its edge.
    if (isDarkPalette(palette())) {
        QPalette framed = list_->palette();
        framed.setColor(QPalette::Window, framed.color(QPalette::PlaceholderText));
        list_->setPalette(framed);
    }
    for (const GatewayModel& model : models_) {
        auto* item = new QListWidgetItem(lineText(model), list_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* add = buttons->addButton(qText(translated("gui.gateway-models.add")),
                                          QDialogButtonBox::AcceptRole);
    add->setObjectName(QStringLiteral("gatewayModelsAdd"));
    add->setEnabled(false);
    buttons->addButton(qText(translated("workflow.question.cancel")), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(search_, &QLineEdit::textChanged, this, &GatewayModelsDialog::setFilter);
    // Adding nothing is no choice: the button counts what it will add.
    connect(list_, &QListWidget::itemChanged, this, [this, add] {
        const std::size_t count = chosen().size();
        add->setEnabled(count > 0);
        add->setText(count > 0
                         ? qText(translatedCount("gui.gateway-models.add-count",
                                                 "gui.gateway-models.add-count.plural", count))
                         : qText(translated("gui.gateway-models.add")));
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void GatewayModelsDialog::setFilter(const QString& text) {
    const QString wanted = text.trimmed();
    for (int row = 0; row < list_->count(); ++row) {
        list_->item(row)->setHidden(!lineText(models_[row]).contains(wanted, Qt::CaseInsensitive));
    }
}

void GatewayModelsDialog::setChecked(const std::string& id, bool checked) {
    for (int row = 0; row < list_->count(); ++row) {
        if (models_[row].id == id)
            list_->item(row)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

std::vector<GatewayModel> GatewayModelsDialog::chosen() const {
    std::vector<GatewayModel> checked;
    for (int row = 0; row < list_->count(); ++row) {
        if (list_->item(row)->checkState() == Qt::Checked) checked.push_back(models_[row]);
    }
    return checked;
}

}  // namespace corvane
