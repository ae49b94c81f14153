#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "clients/client_status.h"
#include "model/client.h"
#include "workflow/installed_application.h"
#include "workflow/setup_form.h"

namespace corvane {

// The two buttons of the setup window as a front end calls them.
class SetupActions {
public:
    virtual ~SetupActions() = default;

    // The main button. Does nothing while a run is active; true when a task
    // was started (its progress arrives through the WorkflowHost).
    virtual bool submit(const SetupForm& form) = 0;

    // The reset confirmation; `restart` is the application to restart
    // afterwards, or nothing. True when a task was started.
    virtual bool resetConfiguration(const SetupForm& form,
                                    const std::optional<std::filesystem::path>& restart) = 0;

    // The "fetch from gateway" button: lists the gateway's models for the form's connection.
    // True when a task was started (the list arrives through the WorkflowHost).
    virtual bool fetchGatewayModels(const SetupForm& form) = 0;

    // The "test connection" button: checks every model without writing anything. True when a
    // task was started (each model's result arrives through the WorkflowHost).
    virtual bool testConnection(const SetupForm& form) = 0;

    // The "preview changes" button: the main button's dry run. True when a task was started (the
    // diff arrives through the WorkflowHost).
    virtual bool previewSubmit(const SetupForm& form) = 0;

    virtual bool working() const = 0;

    // The client's application that a restart can stop and start again
    // (bundle or desktop entry), for the reset confirmation's buttons.
    virtual std::optional<std::filesystem::path> installedApplication(Client client) = 0;

    // How the client is installed here; a read-only look.
    virtual Installation installation(Client client) = 0;

    // What the client's files hold of the tool's configuration now; read on
    // the caller's thread, nothing written. `chosenPath` as the form takes it.
    virtual ClientConfigurationStatus configurationStatus(Client client,
                                                          const std::string& chosenPath) = 0;

    // The "stop" button: asks a running task to stop; its waits end promptly and the
    // status says it was stopped. Returns at once.
    virtual void requestStop() = 0;

    // Asks a running task to stop and waits for it to end.
    virtual void stopAndWait() = 0;
};

}  // namespace corvane
