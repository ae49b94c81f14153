#include "cli/gateway_form.h"

#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "model/messages.h"
#include "platform/child_environment.h"

namespace corvane::cli {

std::optional<Client> clientNamed(const std::string& name) { return clientFromName(name); }

std::string unknownClient(const std::string& name) {
    return translated("cli.unknown-client", {{"name", name}});
}

void addClientOption(CLI::App& command, std::string& clientName) {
    command.add_option("--client", clientName, translated("cli.option.client"))
        ->required()
        ->check(CLI::Validator(
            [](const std::string& name) {
                return clientNamed(name) ? std::string() : unknownClient(name);
            },
            "CLIENT"));
}

void GatewayForm::addConnectionOptions(CLI::App& command) {
    addClientOption(command, clientName);
    addAddressOptions(command);
}

void GatewayForm::addAddressOptions(CLI::App& command) {
    command.add_option("--address", address, translated("cli.option.address"))->required();
    command.add_option("--auth", auth, translated("cli.option.auth"))
        ->check(CLI::IsMember({"bearer", "x-api-key"}));
    command.add_flag("--key-stdin", keyFromStdin, translated("cli.option.key-stdin"));
}

void GatewayForm::addOptions(CLI::App& command) {
    addConnectionOptions(command);
    addModelOption(command);
}

void GatewayForm::addModelOption(CLI::App& command) {
    command.add_option("--model", models, translated("cli.option.model"))
        ->required()
        ->allow_extra_args(false);
}

std::optional<Client> GatewayForm::client() const { return clientNamed(clientName); }

void GatewayForm::refuseExtraModels() const {
    const std::optional<Client> named = client();
    if (named && takesOneModel(*named) && models.size() > 1) {
        throw CLI::ValidationError(
            "--model", translated("model.form.one-model-only", {{"client", clientLabel(*named)}}));
    }
}

std::vector<ModelRow> GatewayForm::rows() const {
    std::vector<ModelRow> rows;
    for (const std::string& model : models) {
        const std::size_t separator = model.find('=');
        if (separator == std::string::npos) {
            rows.emplace_back(model, "");
        } else {
            rows.emplace_back(model.substr(0, separator), model.substr(separator + 1));
        }
    }
    return rows;
}

namespace {

// One line of standard input. A person typing at a terminal gets a prompt on
// standard error and no echo, so the key never shows on the screen.
std::string secretLine() {
    termios saved{};
    const bool terminal = isatty(STDIN_FILENO) != 0 && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        std::cerr << translated("cli.key-prompt") << std::flush;
        termios silent = saved;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    }
    std::string line;
    std::getline(std::cin, line);
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::cerr << std::endl;
    }
    return line;
}

}  // namespace

std::string GatewayForm::key() const {
    if (keyFromStdin) return secretLine();
    const char* key = std::getenv(kApiKeyVariable);
    return key == nullptr ? std::string() : std::string(key);
}

}  // namespace corvane::cli
