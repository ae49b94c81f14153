#pragma once

#include <QDialog>
#include <vector>

#include "check/gateway_models.h"

class QLineEdit;
class QListWidget;

namespace corvane {

// The gateway's models as a searchable checklist (gui.probe.fetch-models).
// Each line shows the ID and, where the gateway gives one, the display name.
class GatewayModelsDialog : public QDialog {
public:
    GatewayModelsDialog(std::vector<GatewayModel> models, QWidget* parent = nullptr);

    // Shows only the lines whose ID or name contains the text, in any case.
    void setFilter(const QString& text);
    void setChecked(const std::string& id, bool checked);

    // The checked models in the gateway's order, hidden ones included.
    std::vector<GatewayModel> chosen() const;

private:
    std::vector<GatewayModel> models_;
    QLineEdit* search_;
    QListWidget* list_;
};

}  // namespace corvane
