#include "workflow/gateway_probes.h"

#include <set>
#include <string>

#include "model/messages.h"
#include "model/setup_error.h"
#include "model/text.h"
#include "platform/platform_error.h"
#include "workflow/stopped_run.h"

namespace corvane {
namespace {

void refuse(WorkflowHost& host, const std::string& message) {
    host.setFailed(true);
    host.setStatus(message);
}

template <typename Plan, typename Build>
std::optional<Plan> prepared(WorkflowHost& host, Build build) {
    try {
        std::optional<Plan> plan = build();
        host.setWorking(true);
        host.setFailed(false);
        return plan;
    } catch (const SetupError& error) {
        refuse(host, error.text());
    } catch (const std::exception&) {
        refuse(host, translated("workflow.form.check-entries"));
    }
    return std::nullopt;
}

// Runs a task's body, turning its errors into the status line.
template <typename Body>
WorkflowOutcome reported(WorkflowHost& host, const std::string& fallback, Body body) {
    WorkflowOutcome outcome = WorkflowOutcome::failed;
    try {
        outcome = body();
    } catch (const OperationCancelled&) {
        outcome = reportStopped(host, translated("workflow.stopped.plain"));
    } catch (const SetupError& error) {
        refuse(host, error.text());
    } catch (const std::exception&) {
        refuse(host, fallback);
    }
    host.setWorking(false);
    return outcome;
}

}  // namespace

std::optional<ModelListPlan> prepareModelList(const SetupForm& form, WorkflowHost& host) {
    return prepared<ModelListPlan>(host, [&] {
        return ModelListPlan{form.client,
                             GatewayConnection(form.address, form.key, form.auth, form.client)};
    });
}

WorkflowOutcome runModelList(const ModelListPlan& plan, WorkflowHost& host,
                             const WorkflowServices& services, std::stop_token stop) {
    return reported(host, translated("workflow.models.fetch-failed"), [&] {
        host.setStatus(translated("workflow.models.fetching"));
        const GatewayModelList list =
            gatewayModels(plan.connection, plan.client, stop, services.checkLimits);
        const std::vector<GatewayModel>& models = list.models;
        if (list.incomplete) {
            host.setStatus(
                translated("workflow.models.incomplete", {{"reason", *list.incomplete}}));
        } else if (models.empty()) {
            host.setStatus(translated("workflow.models.none-listed"));
        } else {
            host.setStatus(translatedCount("workflow.models.listed",
                                           "workflow.models.listed.plural", models.size()));
        }
        if (!models.empty()) host.showGatewayModels(models);
        return WorkflowOutcome::succeeded;
    });
}

std::optional<ConnectionTestPlan> prepareConnectionTest(const SetupForm& form, WorkflowHost& host) {
    return prepared<ConnectionTestPlan>(host, [&] {
        return ConnectionTestPlan{form.client, GatewaySettings(form.address, form.key, form.auth,
                                                               form.rows, form.client)};
    });
}

WorkflowOutcome runConnectionTest(const ConnectionTestPlan& plan, WorkflowHost& host,
                                  const WorkflowServices& services, std::stop_token stop) {
    return reported(host, translated("workflow.check.failed"), [&] {
        const auto& models = plan.settings.inferenceModels();
        std::optional<std::string> firstFailure;
        // Every model is tried, so that each row gets its mark.
        for (std::size_t k = 0; k < models.size(); ++k) {
            host.setStatus(translated(
                "workflow.check.model-progress",
                {{"index", std::to_string(k + 1)}, {"total", std::to_string(models.size())}}));
            const ModelCheck found =
                checkModel(plan.settings, models[k], plan.client, stop, services.checkLimits);
            host.showModelCheck(k, found);
            if (!found.passed && !firstFailure) firstFailure = found.message;
        }
        if (firstFailure) throw SetupError(*firstFailure);
        host.setStatus(translated("workflow.check.passed"));
        return WorkflowOutcome::succeeded;
    });
}

std::vector<ModelRow> rowsWithGatewayModels(std::vector<ModelRow> rows,
                                            const std::vector<GatewayModel>& chosen,
                                            Client client) {
    std::set<std::string> present;
    for (const ModelRow& row : rows) present.insert(trimmed(row.modelID));
    std::size_t next = 0;  // rows before it hold an ID
    for (const GatewayModel& model : chosen) {
        if (!present.insert(model.id).second) continue;
        while (next < rows.size() && !trimmed(rows[next].modelID).empty()) ++next;
        if (next == rows.size()) rows.emplace_back();
        rows[next].modelID = model.id;
        rows[next].displayName = supportsDisplayName(client) ? model.name.value_or("") : "";
    }
    return rows;
}

}  // namespace corvane
