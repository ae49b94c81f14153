#include "workflow/setup_session.h"

#include <utility>

#include "workflow/apply_workflow.h"
#include "workflow/gateway_probes.h"
#include "workflow/installed_application.h"
#include "workflow/preview_workflow.h"
#include "workflow/reset_workflow.h"

namespace corvane {

SetupSession::SetupSession(WorkflowHost& host, WorkflowServices services)
    : host_(host), services_(std::move(services)) {}

SetupSession::~SetupSession() {
    requestStop();
    wait();
}

template <typename Task>
void SetupSession::start(Task task) {
    if (worker_.joinable()) worker_.join();
    {
        std::lock_guard lock(mutex_);
        outcome_.reset();
        preview_.reset();
    }
    working_ = true;
    worker_ = std::jthread([this, task = std::move(task)](std::stop_token stop) {
        WorkflowOutcome outcome = WorkflowOutcome::failed;
        try {
            outcome = task(stop);
            host_.finished(outcome);
        } catch (...) {
            // The workflows report their own failures; only running out of
            // memory while reporting one gets here. The run has failed, and
            // the program must go on.
            try {
                host_.setFailed(true);
                host_.setWorking(false);
            } catch (...) {
                // Nothing more can be told; the outcome below still says failed.
            }
        }
        std::lock_guard lock(mutex_);
        outcome_ = outcome;
        working_ = false;
    });
}

template <typename Plan, typename Run>
bool SetupSession::startPlanned(std::optional<Plan> plan, Run run) {
    if (!plan) return false;
    start([plan = std::move(*plan), run = std::move(run)](std::stop_token stop) {
        return run(plan, stop);
    });
    return true;
}

bool SetupSession::submit(const SetupForm& form) {
    if (working_) return false;
    if (guidanceOnly(form.client)) {
        return startPlanned(prepareOpenForSetup(form.client, host_, services_),
                            [this](const std::filesystem::path& location, std::stop_token stop) {
                                return runOpenForSetup(location, host_, services_, stop);
                            });
    }
    return startPlanned(prepareApply(form, host_, services_),
                        [this](const ApplyPlan& plan, std::stop_token stop) {
                            return runApply(plan, host_, services_, stop);
                        });
}

bool SetupSession::resetConfiguration(const SetupForm& form,
                                      const std::optional<std::filesystem::path>& restart) {
    if (working_) return false;
    return startPlanned(prepareReset(form, restart, host_),
                        [this](const ResetPlan& plan, std::stop_token stop) {
                            return runReset(plan, host_, services_, stop);
                        });
}

bool SetupSession::fetchGatewayModels(const SetupForm& form) {
    if (working_) return false;
    return startPlanned(prepareModelList(form, host_),
                        [this](const ModelListPlan& plan, std::stop_token stop) {
                            return runModelList(plan, host_, services_, stop);
                        });
}

bool SetupSession::previewSubmit(const SetupForm& form) {
    if (working_) return false;
    return startPlanned(
        prepareApply(form, host_, services_), [this](const ApplyPlan& plan, std::stop_token stop) {
            std::optional<std::string> diff = previewApply(plan, host_, services_, stop);
            if (diff) host_.showPreview(*diff);
            return storePreview(std::move(diff), stop);
        });
}

bool SetupSession::testConnection(const SetupForm& form) {
    if (working_) return false;
    return startPlanned(prepareConnectionTest(form, host_),
                        [this](const ConnectionTestPlan& plan, std::stop_token stop) {
                            return runConnectionTest(plan, host_, services_, stop);
                        });
}

bool SetupSession::previewReset(const SetupForm& form) {
    if (working_) return false;
    return startPlanned(prepareReset(form, std::nullopt, host_), [this](const ResetPlan& plan,
                                                                        std::stop_token stop) {
        return storePreview(corvane::previewReset(plan, host_, services_, stop), stop);
    });
}

WorkflowOutcome SetupSession::storePreview(std::optional<std::string> diff,
                                           const std::stop_token& stop) {
    std::lock_guard lock(mutex_);
    WorkflowOutcome outcome = WorkflowOutcome::succeeded;
    if (!diff) outcome = stop.stop_requested() ? WorkflowOutcome::stopped : WorkflowOutcome::failed;
    preview_ = std::move(diff);
    return outcome;
}

std::optional<std::string> SetupSession::preview() {
    std::lock_guard lock(mutex_);
    return preview_;
}

std::optional<WorkflowOutcome> SetupSession::wait() {
    if (worker_.joinable()) worker_.join();
    std::lock_guard lock(mutex_);
    return outcome_;
}

void SetupSession::requestStop() { worker_.request_stop(); }

std::optional<std::filesystem::path> SetupSession::installedApplication(Client client) {
    return applicationLocation(client, services_);
}

Installation SetupSession::installation(Client client) {
    return clientInstallation(client, services_);
}

ClientConfigurationStatus SetupSession::configurationStatus(Client client,
                                                            const std::string& chosenPath) {
    // A look that cannot be taken (no home folder, say) leaves the state unknown.
    try {
        return clientConfigurationStatus(client, chosenPath);
    } catch (const std::exception&) {
        return {};
    }
}

void SetupSession::stopAndWait() {
    requestStop();
    wait();
}

}  // namespace corvane
