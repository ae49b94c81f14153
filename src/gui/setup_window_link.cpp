#include <QLabel>
#include <QLineEdit>

#include "gui/connection_form.h"
#include "gui/form_text.h"
#include "gui/model_form.h"
#include "gui/setup_window.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "workflow/setup_link.h"

namespace corvane {

void SetupWindow::openLink(const QString& link) {
    // A running workflow keeps its form; the link would change what it shows.
    if (working_) return;
    raise();
    activateWindow();
    std::optional<SetupLink> filled;
    try {
        filled = parseSetupLink(link.toStdString());
    } catch (const SetupError& error) {
        status_ = error.text();
        failed_ = true;
        showStatus();
        return;
    }
    const bool sameClient = filled->client == client_;
    selectClient(filled->client);
    // Another client starts a blank form already; the one shown must too, or
    // a key typed for another gateway would be sent to the link's.
    if (sameClient) clearForm();
    connection_->setGateway(qText(filled->address), qText(filled->auth));
    models_->setRows(filled->rows);
    linkLine_->setText(qText(translated("gui.link.origin", {{"host", filled->host}})));
    linkLine_->show();
    status_.clear();
    failed_ = false;
    showStatus();
    connection_->addressField()->setFocus();
}

}  // namespace corvane
