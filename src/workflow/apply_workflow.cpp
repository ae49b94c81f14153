#include "workflow/apply_workflow.h"

#include "check/check_request.h"
#include "files/config_files.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "platform/bundle_info.h"
#include "platform/platform_error.h"
#include "workflow/failure_report.h"
#include "workflow/installed_application.h"
#include "workflow/restart_after_change.h"
#include "workflow/stopped_run.h"
#include "workflow/version_order.h"

namespace corvane {
namespace {

// Claude desktop seals the key only from this version on.
constexpr std::string_view kClaudeSealingVersion = "4.4212.0";

void refuse(WorkflowHost& host, const std::string& message) { host.fail(message, ""); }

// The application's minimum system, when the bundle names one with a number
// that this system does not reach.
std::optional<std::string> unmetMinimumSystem(const std::filesystem::path& bundle) {
    auto entry = bundleInfoString(bundle, "LSMinimumSystemVersion");
    if (!entry) return std::nullopt;
    const auto version = parseSystemVersion(*entry);
    if (!version || isSystemVersionAtLeast(version->major, version->minor, version->patch)) {
        return std::nullopt;
    }
    return entry;
}

// What the status says when the configuration waits for the client's next
// start: a command-line program reads it when it next runs.
std::string savedForNextStart(const ApplyPlan& plan) {
    if (plan.location || !plan.commandLine) return translated("workflow.apply.saved-after-restart");
    return translated("workflow.apply.saved-next-launch",
                      {{"program", plan.commandLine->filename().string()}});
}

// A restart that failed leaves a saved configuration, and its status says
// what to do: the run itself succeeded. A stopped restart stays stopped.
WorkflowOutcome afterSaving(WorkflowOutcome restart) {
    return restart == WorkflowOutcome::stopped ? restart : WorkflowOutcome::succeeded;
}

WorkflowOutcome saveAndOfferRestart(const ApplyPlan& plan, const InstalledApplication& application,
                                    WorkflowHost& host, const WorkflowServices& services,
                                    const ApplicationControl& control) {
    const SelectedClientConfiguration& configuration = plan.configuration;
    const Client client = configuration.client;
    host.setStatus(translated("workflow.apply.saving"));
    configuration.save(application, control.stopToken());
    if (defaultPath(client)) {
        host.setUserDefault(configurationPathKey(client), configuration.chosenPath);
    }
    host.setStatus(savedForNextStart(plan));
    if (!services.configOnly && plan.location && confirmRestart(host, *plan.location, false)) {
        return afterSaving(
            restartAfterChange(host, control, client, *plan.location, ChangeMade::saved));
    }
    return WorkflowOutcome::succeeded;
}

WorkflowOutcome saveWorkBuddy(const ApplyPlan& plan, const InstalledApplication& application,
                              WorkflowHost& host, const WorkflowServices& services,
                              const ApplicationControl& control) {
    if (services.configOnly || !plan.location) {
        return saveAndOfferRestart(plan, application, host, services, control);
    }
    const std::filesystem::path& bundle = *plan.location;
    if (!confirmRestart(host, bundle, true)) {
        host.setStatus(translated("workflow.status.cancelled"));
        return WorkflowOutcome::declined;
    }
    host.setStatus(translated("workflow.apply.saving-restarting",
                              {{"client", clientLabel(Client::workBuddy)}}));
    control.stopApplication(bundle);
    try {
        plan.configuration.save(application, control.stopToken());
    } catch (...) {
        try {
            control.launchApplication(bundle);
        } catch (const std::exception&) {
            // The save error is what the user needs to see.
        }
        throw;
    }
    host.setUserDefault(configurationPathKey(Client::workBuddy), plan.configuration.chosenPath);
    return afterSaving(
        restartAfterChange(host, control, Client::workBuddy, bundle, ChangeMade::saved));
}

WorkflowOutcome applyClaude(const ApplyPlan& plan, WorkflowHost& host,
                            const WorkflowServices& services, const ApplicationControl& control) {
    const std::filesystem::path& bundle = *plan.location;
    if (!confirmRestart(host, bundle, true)) {
        host.setStatus(translated("workflow.apply.claude-restart-declined",
                                  {{"client", clientLabel(Client::claude)}}));
        return WorkflowOutcome::declined;
    }
    host.setStatus(
        translated("workflow.apply.claude-applying", {{"client", clientLabel(Client::claude)}}));
    configureClaude(plan.configuration.settings, bundle, control, services.claudeTiming,
                    services.managedPreferences);
    host.setStatus(translated("workflow.apply.claude-applied"));
    return WorkflowOutcome::succeeded;
}

struct InstalledTarget {
    std::optional<std::filesystem::path> location;
    std::optional<std::filesystem::path> commandLine;
};

// The checks of the main button before the form: the installed application
// (or, for a client that has one, its command-line program) and the minimum
// system. A refusal is reported through the host and gives nothing.
std::optional<InstalledTarget> installedTarget(Client client, WorkflowHost& host,
                                               const WorkflowServices& services) {
    const std::string name = clientLabel(client);
    InstalledTarget target{applicationLocation(client, services), std::nullopt};
    if (!target.location) target.commandLine = commandLineProgramPath(client);
    if (services.configOnly) {
        if (client == Client::claude) {
            refuse(host, translated("workflow.apply.claude-config-only"));
            return std::nullopt;
        }
        if (guidanceOnly(client)) {
            refuse(host, translated("workflow.guidance-only.in-app", {{"client", name}}));
            return std::nullopt;
        }
        return target;
    }
    if (!target.location && !target.commandLine) {
        refuse(host, translated("workflow.apply.install-first", {{"client", name}}));
        return std::nullopt;
    }
    if (const auto minimum =
            target.location ? unmetMinimumSystem(*target.location) : std::nullopt) {
        refuse(host, translated("workflow.apply.system-too-old",
                                {{"client", name}, {"version", *minimum}}));
        return std::nullopt;
    }
    return target;
}

}  // namespace

std::optional<std::filesystem::path> prepareOpenForSetup(Client client, WorkflowHost& host,
                                                         const WorkflowServices& services) {
    const auto target = installedTarget(client, host, services);
    if (!target) return std::nullopt;
    if (!target->location) {
        refuse(host, translated("workflow.apply.install-first", {{"client", clientLabel(client)}}));
        return std::nullopt;
    }
    // Opening changes nothing the user reads: the status and its colour stay as they were.
    host.setWorking(true);
    return target->location;
}

WorkflowOutcome runOpenForSetup(const std::filesystem::path& location, WorkflowHost& host,
                                const WorkflowServices& services, std::stop_token stop) {
    try {
        services.workspace.openApplication(location, stop);
        host.setWorking(false);
        return WorkflowOutcome::succeeded;
    } catch (const OperationCancelled&) {
        const WorkflowOutcome stopped = reportStopped(host, translated("workflow.stopped.plain"));
        host.setWorking(false);
        return stopped;
    } catch (const std::exception& error) {
        host.setWorking(false);
        host.fail(translated("workflow.open.manually",
                             {{"application", applicationDisplayName(location)}}),
                  error.what());
        return WorkflowOutcome::failed;
    }
}

std::optional<ApplyPlan> prepareApply(const SetupForm& form, WorkflowHost& host,
                                      const WorkflowServices& services) {
    const Client client = form.client;
    // Cursor is set up inside its own application (prepareOpenForSetup).
    if (guidanceOnly(client)) {
        refuse(host,
               translated("workflow.guidance-only.in-app", {{"client", clientLabel(client)}}));
        return std::nullopt;
    }
    const auto target = installedTarget(client, host, services);
    if (!target) return std::nullopt;
    const std::optional<std::filesystem::path>& location = target->location;

    std::optional<GatewaySettings> settings;
    try {
        settings.emplace(form.address, form.key, form.auth, form.rows, client);
    } catch (const SetupError& error) {
        refuse(host, error.text());
        return std::nullopt;
    } catch (const std::exception&) {
        refuse(host, translated("workflow.form.check-entries"));
        return std::nullopt;
    }

    ApplyPlan plan{SelectedClientConfiguration{client, *settings, form.chosenPath}, location,
                   target->commandLine};
    const auto claudeVersion =
        client == Client::claude && location ? applicationVersion(*location) : std::nullopt;
    if (claudeVersion && compareVersions(*claudeVersion, kClaudeSealingVersion) < 0) {
        refuse(host, translated("workflow.apply.update-claude"));
        return std::nullopt;
    }
    host.setWorking(true);
    host.setFailed(false);
    return plan;
}

void checkEveryModel(const ApplyPlan& plan, WorkflowHost& host, const WorkflowServices& services,
                     std::stop_token stop, PassedChecks* passed) {
    const GatewaySettings& settings = plan.configuration.settings;
    const Client client = plan.configuration.client;
    const auto& models = settings.inferenceModels();
    for (std::size_t k = 0; k < models.size(); ++k) {
        host.setStatus(translated(
            "workflow.check.model-progress",
            {{"index", std::to_string(k + 1)}, {"total", std::to_string(models.size())}}));
        const HttpsRequest request = checkRequest(settings, models[k], client);
        const std::string sent = request.url + '\n' + request.postBody.value_or("");
        if (passed != nullptr && passed->contains(sent)) continue;
        checkGateway(settings, models[k], client, stop, services.checkLimits);
        if (passed != nullptr) passed->insert(sent);
    }
}

WorkflowOutcome runApply(const ApplyPlan& plan, WorkflowHost& host,
                         const WorkflowServices& services, std::stop_token stop,
                         PassedChecks* passed) {
    WorkflowOutcome outcome = WorkflowOutcome::succeeded;
    try {
        const Client client = plan.configuration.client;
        checkEveryModel(plan, host, services, stop, passed);
        const ApplicationControl control(services.workspace, stop, services.applicationTiming);
        if (client == Client::claude) {
            outcome = applyClaude(plan, host, services, control);
        } else {
            const InstalledApplication application =
                describeApplication(client, plan.location, stop);
            if (client == Client::workBuddy) {
                outcome = saveWorkBuddy(plan, application, host, services, control);
            } else {
                outcome = saveAndOfferRestart(plan, application, host, services, control);
            }
        }
        // Only a declined restart ends before the configuration was written.
        if (outcome != WorkflowOutcome::declined) host.clearKey();
    } catch (const OperationCancelled&) {
        // Every stop before the commit leaves the files as they were.
        outcome = reportStopped(host, translated("workflow.stopped.nothing-written"));
    } catch (const std::exception& error) {
        const FailureReport report =
            failureReport(error, translated("workflow.apply.failed"),
                          plan.configuration.settings.inferenceGatewayApiKey());
        host.fail(report.message, report.detail);
        outcome = WorkflowOutcome::failed;
    }
    host.setWorking(false);
    return outcome;
}

}  // namespace corvane
