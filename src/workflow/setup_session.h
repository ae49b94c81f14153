#pragma once

#include <atomic>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "workflow/setup_actions.h"
#include "workflow/setup_form.h"
#include "workflow/workflow_host.h"
#include "workflow/workflow_services.h"

namespace corvane {

// Runs the two buttons' workflows for one front end: the synchronous checks on
// the caller's thread, the task on one worker thread, one run at a time.
// Destroying the session asks a running task to stop and joins it.
class SetupSession : public SetupActions {
public:
    SetupSession(WorkflowHost& host, WorkflowServices services);
    ~SetupSession() override;
    SetupSession(const SetupSession&) = delete;
    SetupSession& operator=(const SetupSession&) = delete;

    // The main button. Does nothing while a run is active. True when a task
    // was started.
    bool submit(const SetupForm& form) override;

    // The reset confirmation. `restart` is the application to restart
    // afterwards, or nothing. True when a task was started.
    bool resetConfiguration(const SetupForm& form,
                            const std::optional<std::filesystem::path>& restart) override;

    bool fetchGatewayModels(const SetupForm& form) override;
    bool testConnection(const SetupForm& form) override;

    // Dry runs of the two buttons: nothing is written, stopped or started.
    // True when a task was started; its diff comes from `preview()` after
    // `wait()`, and the main button's also through the host. Cursor has
    // nothing to preview and is refused.
    bool previewSubmit(const SetupForm& form) override;
    bool previewReset(const SetupForm& form);

    // The diff of the last dry run; nothing when it failed or none ran.
    std::optional<std::string> preview();

    bool working() const override { return working_; }

    std::optional<std::filesystem::path> installedApplication(Client client) override;

    Installation installation(Client client) override;

    ClientConfigurationStatus configurationStatus(Client client,
                                                  const std::string& chosenPath) override;

    void stopAndWait() override;

    // Blocks until the running task (if any) has ended; gives the outcome of
    // the last task this session started, or nothing when none was.
    std::optional<WorkflowOutcome> wait();

    // Asks the running task to stop; its waits end promptly.
    void requestStop() override;

    const WorkflowServices& services() const { return services_; }

private:
    template <typename Task>
    void start(Task task);
    // Starts `run(plan, stop)` when the synchronous part gave a plan; false
    // when it refused (and said why through the host).
    template <typename Plan, typename Run>
    bool startPlanned(std::optional<Plan> plan, Run run);
    // A dry run without a diff failed, or was stopped when a stop was asked.
    WorkflowOutcome storePreview(std::optional<std::string> diff, const std::stop_token& stop);

    WorkflowHost& host_;
    WorkflowServices services_;
    std::atomic<bool> working_ = false;
    std::mutex mutex_;
    std::optional<WorkflowOutcome> outcome_;
    std::optional<std::string> preview_;
    std::jthread worker_;
};

}  // namespace corvane
