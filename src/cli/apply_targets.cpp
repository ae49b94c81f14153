#include "cli/apply_targets.h"

#include <algorithm>
#include <atomic>
#include <iostream>
#include <stop_token>

#include "cli/commands.h"
#include "cli/interrupt_watcher.h"
#include "model/messages.h"
#include "model/setup_error.h"
#include "model/text.h"
#include "workflow/profile_apply.h"

namespace corvane::cli {
namespace {

constexpr std::string_view kEveryClient = "all";

std::vector<Client> namedClients(const ApplyTargets& targets, const WorkflowServices& services) {
    std::vector<Client> clients;
    const auto add = [&](Client client) {
        if (std::ranges::find(clients, client) == clients.end()) clients.push_back(client);
    };
    for (const std::string& name : targets.clients) {
        if (asciiLowercased(name) == kEveryClient) {
            for (Client client : profileClientsForAll(services)) add(client);
        } else {
            add(*clientNamed(name));
        }
    }
    return clients;
}

int exitStatus(const std::vector<ProfileClientResult>& results, std::size_t expected,
               bool interrupted) {
    using Outcome = ProfileClientResult::Outcome;
    const auto any = [&](Outcome outcome) {
        return std::ranges::any_of(results,
                                   [&](const auto& result) { return result.outcome == outcome; });
    };
    if (interrupted && results.size() < expected) return kExitInterrupted;
    if (any(Outcome::failed)) return interrupted ? kExitInterrupted : kExitFailed;
    if (any(Outcome::declined)) return kExitDeclined;
    return kExitSuccess;
}

}  // namespace

void ApplyTargets::addOptions(CLI::App& command) {
    command.add_option("--client", clients, translated("cli.option.client-or-all"))
        ->check(CLI::Validator(
            [](const std::string& name) {
                return clientNamed(name) || asciiLowercased(name) == kEveryClient
                           ? std::string()
                           : unknownClient(name);
            },
            "CLIENT"))
        ->required();
    auto* profileOption =
        command.add_option("--profile", profile, translated("cli.option.profile"));
    for (const char* formOption : {"--address", "--auth", "--model", "--config", "--app"}) {
        profileOption->excludes(command.get_option(formOption));
    }
}

std::string ApplyTargets::formClient(const CLI::App& command) const {
    if (clients.size() != 1 || !clientNamed(clients.front())) {
        throw CLI::ValidationError("--client", translated("cli.one-client-without-profile"));
    }
    for (const char* required : {"--address", "--model"}) {
        if (command.get_option(required)->count() == 0) throw CLI::RequiredError(required);
    }
    return clients.front();
}

int runProfileApply(const ApplyTargets& targets, const GatewayForm& keySource, RestartAnswer answer,
                    bool dryRun, const WorkflowServices& services) {
    std::vector<Client> clients;
    std::optional<GatewayProfile> profile;
    std::string key;
    try {
        profile = readGatewayProfile(targets.profile);
        clients = namedClients(targets, services);
        if (clients.empty()) throw SetupError(translated("cli.profile.no-installed-client"));
        key = keySource.key();
        validateProfileRun(*profile, clients, key);
    } catch (const SetupError& error) {
        std::cerr << displayable(error.text()) << '\n';
        if (!error.detail().empty()) std::cerr << displayable(error.detail()) << '\n';
        return kExitUsage;
    }
    TerminalHost host(answer, dryRun ? std::cerr : std::cout);
    std::stop_source stop;
    std::atomic<bool> interrupted = false;
    InterruptWatcher interrupt([&] {
        interrupted = true;
        stop.request_stop();
    });
    std::ostream& lines = dryRun ? std::cerr : std::cout;
    const auto results = applyProfile(
        *profile, clients, key, dryRun, host, services, stop.get_token(),
        [&](const ProfileClientResult& result) {
            lines << displayable(translated(
                         "cli.profile.client-line",
                         {{"client", clientLabel(result.client)}, {"line", result.line}}))
                  << std::endl;
            if (!result.detail.empty()) std::cerr << displayable(result.detail) << std::endl;
            if (!result.diff.empty()) printFileText(result.diff);
        });
    return exitStatus(results, clients.size(), interrupted);
}

}  // namespace corvane::cli
