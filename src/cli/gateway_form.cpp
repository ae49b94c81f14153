#include "cli/gateway_form.h"

#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "model/messages.h"

namespace corvane::cli {

std::optional<Client> clientNamed(const std::string& name) { return clientFromName(name); }

void addClientOption(CLI::App& command, std::string& clientName) {
    command.add_option("--client", clientName, "client display name or case name (openClaw)")
        ->required()
        ->check(CLI::Validator(
            [](const std::string& name) {
                return clientNamed(name) ? std::string() : "unknown client: " + name;
            },
            "CLIENT"));
}

void GatewayForm::addConnectionOptions(CLI::App& command) {
    addClientOption(command, clientName);
    addAddressOptions(command);
}

void GatewayForm::addAddressOptions(CLI::App& command) {
    command.add_option("--address", address, "HTTPS base address of the gateway")->required();
    command.add_option("--auth", auth, "authentication scheme")
        ->check(CLI::IsMember({"bearer", "x-api-key"}));
    command.add_flag("--key-stdin", keyFromStdin,
                     "read the API key from one line of standard input instead of CORVANE_API_KEY");
}

void GatewayForm::addOptions(CLI::App& command) {
    addConnectionOptions(command);
    addModelOption(command);
}

void GatewayForm::addModelOption(CLI::App& command) {
    command.add_option("--model", models, "model ID, optionally ID=DISPLAY NAME; repeatable")
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
        std::cerr << "API Key: " << std::flush;
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
    const char* key = std::getenv("CORVANE_API_KEY");
    return key == nullptr ? std::string() : std::string(key);
}

}  // namespace corvane::cli
