#include "gui/gateway_probe_controls.h"

#include <QPushButton>

#include "check/check_times_text.h"
#include "gui/form_text.h"
#include "gui/gateway_models_dialog.h"
#include "gui/model_rows_editor.h"
#include "model/messages.h"
#include "model/text.h"
#include "workflow/gateway_probes.h"

namespace corvane {

GatewayProbeControls::GatewayProbeControls(QWidget* window, ModelRowsEditor* rows,
                                           std::function<SetupForm()> form,
                                           std::function<SetupActions*()> actions)
    : QObject(window),
      window_(window),
      rows_(rows),
      form_(std::move(form)),
      actions_(std::move(actions)),
      fetchButton_(new QPushButton(qText(translated("gui.probe.fetch-models")), window)),
      testButton_(new QPushButton(qText(translated("gui.probe.test-connection")), window)) {
    fetchButton_->setObjectName(QStringLiteral("fetchModelsButton"));
    testButton_->setObjectName(QStringLiteral("testConnectionButton"));
    connect(fetchButton_, &QPushButton::clicked, this, [this] { fetch(); });
    connect(testButton_, &QPushButton::clicked, this, [this] { test(); });
}

void GatewayProbeControls::showClient(Client client) {
    client_ = client;
    fetchButton_->setVisible(supportsMultiple(client));
    testButton_->setVisible(!guidanceOnly(client));
}

void GatewayProbeControls::showWorking(bool working) {
    fetchButton_->setEnabled(!working);
    testButton_->setEnabled(!working);
}

void GatewayProbeControls::fetch() {
    if (SetupActions* actions = actions_()) actions->fetchGatewayModels(form_());
}

void GatewayProbeControls::test() {
    SetupActions* actions = actions_();
    if (actions == nullptr || actions->working()) return;
    const SetupForm form = form_();
    rows_->clearMarks();
    testedRowIds_.clear();
    for (const ModelRow& row : form.rows) testedRowIds_.push_back(row.id);
    actions->testConnection(form);
}

void GatewayProbeControls::offerModels(const std::vector<GatewayModel>& models) {
    auto* dialog = new GatewayModelsDialog(models, window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The rows and the client are read when the user confirms: both may have
    // changed while the dialog was open.
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        rows_->setRows(rowsWithGatewayModels(rows_->rows(), dialog->chosen(), client_));
    });
    dialog->open();
}

void GatewayProbeControls::markRow(std::size_t row, const ModelCheck& found) {
    if (row >= testedRowIds_.size()) return;
    const std::string& id = testedRowIds_[row];
    if (found.passed) {
        const auto count = [](const std::optional<std::chrono::milliseconds>& time) {
            return time ? QString::number(time->count()) : QStringLiteral("—");
        };
        rows_->setMark(
            id,
            QStringLiteral("✓ %1 / %2 ms").arg(count(found.firstEvent), count(found.terminalEvent)),
            QString::fromStdString(checkTimesText(found)), true);
    } else {
        // The message may quote a model's name as the gateway listed it.
        rows_->setMark(id, QStringLiteral("✗"), QString::fromStdString(displayable(found.message)),
                       false);
    }
}

}  // namespace corvane
