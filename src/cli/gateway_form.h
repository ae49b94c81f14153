#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "model/client.h"
#include "model/gateway_settings.h"

namespace corvane::cli {

// The setup form as command-line options, shared by every command that takes
// gateway settings. The key never comes from an argument: other users can read
// a process's arguments.
struct GatewayForm {
    std::string clientName;
    std::string address;
    std::string auth = "bearer";
    std::vector<std::string> models;
    bool keyFromStdin = false;

    void addOptions(CLI::App& command);
    // Everything but the models: for commands that ask the gateway which it has.
    void addConnectionOptions(CLI::App& command);
    // The address, auth and key options alone, and the models, for a command
    // that takes its clients its own way.
    void addAddressOptions(CLI::App& command);
    void addModelOption(CLI::App& command);

    // More than one model for a client that takes one (Hermes) is a usage
    // error (CLI::ValidationError), whichever command is asked to check or
    // write them.
    void refuseExtraModels() const;

    // A raw value or a case name in any letter case; nothing when unknown.
    std::optional<Client> client() const;
    std::vector<ModelRow> rows() const;

    // CORVANE_API_KEY, or one line of standard input with --key-stdin.
    std::string key() const;
};

std::optional<Client> clientNamed(const std::string& name);
// What an option's check says of a name no client has.
std::string unknownClient(const std::string& name);

// Adds --client as a required option; checks the name when parsing.
void addClientOption(CLI::App& command, std::string& clientName);

}  // namespace corvane::cli
