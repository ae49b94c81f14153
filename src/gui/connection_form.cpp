#include "gui/connection_form.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "files/config_files.h"
#include "gui/form_text.h"
#include "model/messages.h"

namespace corvane {

ConnectionForm::ConnectionForm(std::function<void()> onChoosePath, QWidget* parent)
    : QWidget(parent),
      fields_(new QFormLayout),
      protocolName_(new QLabel(this)),
      address_(new QLineEdit(this)),
      key_(new QLineEdit(this)),
      auth_(new QComboBox(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);

    auto* heading = new QHBoxLayout;
    heading->addWidget(headingLabel(qText(translated("gui.connection.heading")), this));
    protocolName_->setObjectName(QStringLiteral("protocolName"));
    protocolName_->setForegroundRole(QPalette::PlaceholderText);
    heading->addWidget(protocolName_);
    heading->addStretch();
    layout->addLayout(heading);

    fields_->setHorizontalSpacing(12);
    fields_->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    fields_->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);

    address_->setObjectName(QStringLiteral("address"));
    address_->setPlaceholderText(qText(translated("gui.connection.address-prompt")));
    address_->setAccessibleName(qText(translated("gui.connection.address")));
    fields_->addRow(fieldLabel(qText(translated("gui.connection.address")), this), address_);

    key_->setObjectName(QStringLiteral("key"));
    key_->setEchoMode(QLineEdit::Password);
    key_->setPlaceholderText(qText(translated("gui.connection.key-prompt")));
    key_->setAccessibleName(QStringLiteral("API Key"));
    fields_->addRow(fieldLabel(QStringLiteral("API Key"), this), key_);

    auth_->setObjectName(QStringLiteral("auth"));
    auth_->addItem(QStringLiteral("Bearer"), QStringLiteral("bearer"));
    auth_->addItem(QStringLiteral("x-api-key"), QStringLiteral("x-api-key"));
    auth_->setAccessibleName(qText(translated("gui.connection.auth")));
    fields_->addRow(fieldLabel(qText(translated("gui.connection.auth")), this), auth_);

    auto* pathRow = new QWidget(this);
    auto* pathLayout = new QHBoxLayout(pathRow);
    pathLayout->setContentsMargins(0, 0, 0, 0);
    pathLayout->setSpacing(8);
    chosenPath_ = new QLineEdit(pathRow);
    chosenPath_->setObjectName(QStringLiteral("chosenPath"));
    chosenPath_->setAccessibleName(qText(translated("gui.connection.configuration-file")));
    choosePath_ = new QPushButton(qText(translated("gui.connection.choose-file")), pathRow);
    choosePath_->setObjectName(QStringLiteral("choosePath"));
    connect(choosePath_, &QPushButton::clicked, this, std::move(onChoosePath));
    pathLayout->addWidget(chosenPath_, 1);
    pathLayout->addWidget(choosePath_);
    fields_->addRow(fieldLabel(qText(translated("gui.connection.configuration-file")), this),
                    pathRow);

    layout->addLayout(fields_);
}

void ConnectionForm::setClient(Client client) {
    protocolName_->setText(qText(protocolName(client)));
    fields_->setRowVisible(auth_, offersAuthScheme(client));
    const std::optional<std::string> path = defaultPath(client);
    fields_->setRowVisible(chosenPath_->parentWidget(), path.has_value());
    chosenPath_->setPlaceholderText(path ? QString::fromStdString(*path) : QString());
}

void ConnectionForm::clear(const QString& storedPath) {
    address_->clear();
    key_->clear();
    auth_->setCurrentIndex(0);
    chosenPath_->setText(storedPath);
}

void ConnectionForm::clearKey() { key_->clear(); }

void ConnectionForm::setGateway(const QString& address, const QString& auth) {
    address_->setText(address);
    auth_->setCurrentIndex(std::max(0, auth_->findData(auth)));
}

QString ConnectionForm::chosenPath() const { return chosenPath_->text(); }

void ConnectionForm::setChosenPath(const QString& path) { chosenPath_->setText(path); }

void ConnectionForm::fill(SetupForm& form) const {
    form.address = address_->text().toStdString();
    form.key = key_->text().toStdString();
    form.auth = auth_->currentData().toString().toStdString();
    form.chosenPath = chosenPath_->text().toStdString();
}

QList<QWidget*> ConnectionForm::focusChain() const {
    return {address_, key_, auth_, chosenPath_, choosePath_};
}

}  // namespace corvane
