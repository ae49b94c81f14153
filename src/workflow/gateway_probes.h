#pragma once

#include <optional>
#include <stop_token>
#include <vector>

#include "check/gateway_models.h"
#include "model/gateway_settings.h"
#include "workflow/setup_form.h"
#include "workflow/workflow_host.h"
#include "workflow/workflow_services.h"

namespace corvane {

// The window's two questions to the gateway that write nothing: which models
// it lists (its "fetch from gateway" button) and whether each model answers
// (its "test connection" button). Each
// has a synchronous part that validates the form (a refusal is reported
// through the host and gives nothing) and a task for the worker that reports
// through the host and never throws.

struct ModelListPlan {
    Client client;
    GatewayConnection connection;
};

std::optional<ModelListPlan> prepareModelList(const SetupForm& form, WorkflowHost& host);
WorkflowOutcome runModelList(const ModelListPlan& plan, WorkflowHost& host,
                             const WorkflowServices& services, std::stop_token stop);

struct ConnectionTestPlan {
    Client client;
    GatewaySettings settings;
};

std::optional<ConnectionTestPlan> prepareConnectionTest(const SetupForm& form, WorkflowHost& host);
WorkflowOutcome runConnectionTest(const ConnectionTestPlan& plan, WorkflowHost& host,
                                  const WorkflowServices& services, std::stop_token stop);

// The form's rows with the chosen gateway models put in: empty rows are
// filled first, the rest appended; IDs already present are left out. Display
// names come along where the client shows them.
std::vector<ModelRow> rowsWithGatewayModels(std::vector<ModelRow> rows,
                                            const std::vector<GatewayModel>& chosen, Client client);

}  // namespace corvane
