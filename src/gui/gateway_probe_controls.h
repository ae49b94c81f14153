#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "check/check_gateway.h"
#include "check/gateway_models.h"
#include "workflow/setup_actions.h"

class QPushButton;
class QWidget;

namespace corvane {

class ModelRowsEditor;

// The window's two buttons that ask the gateway without writing anything:
// gui.probe.fetch-models below the model rows and gui.probe.test-connection
// beside it. The work runs on the session's worker; the results come back
// through the window (the WorkflowHost) and land here on the window's thread.
class GatewayProbeControls : public QObject {
public:
    GatewayProbeControls(QWidget* window, ModelRowsEditor* rows, std::function<SetupForm()> form,
                         std::function<SetupActions*()> actions);

    QPushButton* fetchButton() const { return fetchButton_; }
    QPushButton* testButton() const { return testButton_; }

    void showClient(Client client);
    void showWorking(bool working);

    // Offers the listed models in a checklist; the chosen ones go into the rows.
    void offerModels(const std::vector<GatewayModel>& models);
    // Marks the row that was the form's `row` when the test started.
    void markRow(std::size_t row, const ModelCheck& found);

private:
    void fetch();
    void test();

    QWidget* window_;
    ModelRowsEditor* rows_;
    std::function<SetupForm()> form_;
    std::function<SetupActions*()> actions_;
    QPushButton* fetchButton_;
    QPushButton* testButton_;
    Client client_ = Client::claude;
    // The rows as they were when the test started, by position.
    std::vector<std::string> testedRowIds_;
};

}  // namespace corvane
