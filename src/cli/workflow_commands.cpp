#include <atomic>
#include <iostream>
#include <memory>

#include "cli/apply_targets.h"
#include "cli/commands.h"
#include "cli/gateway_form.h"
#include "cli/interrupt_watcher.h"
#include "cli/terminal_host.h"
#include "model/messages.h"
#include "platform/workspace.h"
#include "workflow/installed_application.h"
#include "workflow/reset_question.h"
#include "workflow/setup_session.h"

namespace corvane::cli {
namespace {

struct WorkflowOptions {
    std::string config;
    CLI::Option* configOption = nullptr;
    std::string app;
    bool yes = false;
    bool noRestart = false;
    bool configOnly = false;
    bool dryRun = false;

    void addOptions(CLI::App& command, bool withConfigOnly) {
        configOption = command.add_option("--config", config, translated("cli.option.config"));
        command.add_option("--app", app, translated("cli.option.app"));
        auto* yesFlag = command.add_flag("--yes", yes, translated("cli.option.yes"));
        auto* noFlag =
            command.add_flag("--no-restart", noRestart, translated("cli.option.no-restart"));
        yesFlag->excludes(noFlag);
        command.add_flag("--dry-run", dryRun, translated("cli.option.dry-run"));
        if (withConfigOnly) {
            command.add_flag("--config-only", configOnly, translated("cli.option.config-only"));
        }
    }

    // A client whose files lie where it says would write elsewhere than the
    // path given, so the path is refused rather than ignored.
    void refuseIgnoredConfig(const std::string& clientName) const {
        const Client client = *clientNamed(clientName);
        if (configOption->count() > 0 && defaultPaths(client).empty()) {
            throw CLI::ValidationError(
                "--config", translated("cli.config-path-fixed", {{"client", clientLabel(client)}}));
        }
    }

    RestartAnswer answer() const {
        return yes ? RestartAnswer::yes : noRestart ? RestartAnswer::no : RestartAnswer::ask;
    }

    WorkflowServices services(Workspace& workspace) const {
        WorkflowServices services(workspace);
        if (!app.empty()) services.application = std::filesystem::absolute(app);
        services.configOnly = configOnly;
        return services;
    }

    // The window shows the remembered path of a client; so does the command
    // line when no path is given. A relative path is made absolute here, as the
    // window's open panel gives it, because it is remembered for later runs
    // from other folders.
    std::string chosenPath(TerminalHost& host, Client client) const {
        if (config.empty()) return host.userDefault(configurationPathKey(client)).value_or("");
        if (config == "~" || config.starts_with("~/")) return config;
        return std::filesystem::absolute(config).lexically_normal().string();
    }
};

// Interrupted is reported only for a run that ended in failure: a stop that
// came too late to matter leaves the run's own result.
int exitStatus(const TerminalHost& host, std::optional<WorkflowOutcome> outcome, bool interrupted) {
    if (outcome == WorkflowOutcome::stopped) return kExitInterrupted;
    if (host.failed() || outcome == WorkflowOutcome::failed) {
        return interrupted ? kExitInterrupted : kExitFailed;
    }
    if (outcome == WorkflowOutcome::declined) return kExitDeclined;
    return kExitSuccess;
}

// A dry run's statuses go to standard error, its diff to standard output.
int printPreview(SetupSession& session, const TerminalHost& host, bool interrupted) {
    const auto outcome = session.wait();
    if (const auto diff = session.preview()) printFileText(*diff);
    return exitStatus(host, outcome, interrupted);
}

int runApply(const GatewayForm& gateway, const WorkflowOptions& options) {
    const auto workspace = makeSystemWorkspace();
    TerminalHost host(options.answer(), options.dryRun ? std::cerr : std::cout);
    SetupForm form;
    form.client = *gateway.client();
    form.address = gateway.address;
    form.key = gateway.key();
    form.auth = gateway.auth;
    form.rows = gateway.rows();
    form.chosenPath = options.chosenPath(host, form.client);
    SetupSession session(host, options.services(*workspace));
    std::atomic<bool> interrupted = false;
    InterruptWatcher interrupt([&] {
        interrupted = true;
        session.requestStop();
    });
    if (options.dryRun) {
        session.previewSubmit(form);
        return printPreview(session, host, interrupted);
    }
    session.submit(form);
    const auto outcome = session.wait();
    return exitStatus(host, outcome, interrupted);
}

// The terminal offers the confirmation's first two answers, as the yes and
// the no that --yes and --no-restart give; an interrupt cancels at any time.
ResetAction askReset(TerminalHost& host, const ResetQuestion& question) {
    const ResetChoice& first = question.choices.at(0);
    const ResetChoice& second = question.choices.at(1);
    return host.ask({question.title, question.message, first.label, second.label}) ? first.action
                                                                                   : second.action;
}

int runReset(const std::string& clientName, const WorkflowOptions& options) {
    const auto workspace = makeSystemWorkspace();
    TerminalHost host(options.answer(), options.dryRun ? std::cerr : std::cout);
    SetupForm form;
    form.client = *clientNamed(clientName);
    form.chosenPath = options.chosenPath(host, form.client);
    SetupSession session(host, options.services(*workspace));
    if (options.dryRun) {
        std::atomic<bool> interrupted = false;
        InterruptWatcher interrupt([&] {
            interrupted = true;
            session.requestStop();
        });
        session.previewReset(form);
        return printPreview(session, host, interrupted);
    }
    std::optional<std::filesystem::path> restart;
    if (!guidanceOnly(form.client)) {
        if (const auto bundle = applicationLocation(form.client, session.services())) {
            switch (askReset(host, resetQuestion(form.client, true))) {
                case ResetAction::resetAndRestart:
                    restart = bundle;
                    break;
                case ResetAction::resetWithoutRestart:
                    break;
                case ResetAction::cancel:
                    host.setStatus(translated("workflow.status.cancelled"));
                    return kExitDeclined;
            }
        }
    }
    std::atomic<bool> interrupted = false;
    InterruptWatcher interrupt([&] {
        interrupted = true;
        session.requestStop();
    });
    session.resetConfiguration(form, restart);
    const auto outcome = session.wait();
    return exitStatus(host, outcome, interrupted);
}

}  // namespace

void addApplyCommand(CLI::App& app, CommandAction& run) {
    auto* command = app.add_subcommand("apply", translated("cli.command.apply"));
    auto gateway = std::make_shared<GatewayForm>();
    auto options = std::make_shared<WorkflowOptions>();
    auto targets = std::make_shared<ApplyTargets>();
    gateway->addAddressOptions(*command);
    gateway->addModelOption(*command);
    command->get_option("--address")->required(false);
    command->get_option("--model")->required(false);
    options->addOptions(*command, true);
    targets->addOptions(*command);
    command->callback([&run, command, gateway, options, targets] {
        if (targets->fromProfile()) {
            run = [gateway, options, targets] {
                const auto workspace = makeSystemWorkspace();
                return runProfileApply(*targets, *gateway, options->answer(), options->dryRun,
                                       options->services(*workspace));
            };
            return;
        }
        gateway->clientName = targets->formClient(*command);
        options->refuseIgnoredConfig(gateway->clientName);
        gateway->refuseExtraModels();
        run = [gateway, options] { return runApply(*gateway, *options); };
    });
}

void addResetCommand(CLI::App& app, CommandAction& run) {
    auto* command = app.add_subcommand("reset", translated("cli.command.reset"));
    auto clientName = std::make_shared<std::string>();
    auto options = std::make_shared<WorkflowOptions>();
    addClientOption(*command, *clientName);
    options->addOptions(*command, false);
    command->callback([&run, clientName, options] {
        options->refuseIgnoredConfig(*clientName);
        run = [clientName, options] { return runReset(*clientName, *options); };
    });
}

}  // namespace corvane::cli
