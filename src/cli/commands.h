#pragma once

#include <CLI/CLI.hpp>
#include <functional>

namespace corvane::cli {

// Exit statuses shared by every command.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
// A restart that had to come before any write (Claude desktop, WorkBuddy) was
// declined; nothing was written.
inline constexpr int kExitDeclined = 3;
// Stopped by Ctrl-C, as shells report a SIGINT.
inline constexpr int kExitInterrupted = 130;

// Each command registers itself on the application and, when chosen, stores
// what to run after parsing in `run`.
using CommandAction = std::function<int()>;

void addClientsCommand(CLI::App& app, CommandAction& run);
void addValidateCommand(CLI::App& app, CommandAction& run);
void addCheckCommand(CLI::App& app, CommandAction& run);
void addModelsCommand(CLI::App& app, CommandAction& run);
void addApplyCommand(CLI::App& app, CommandAction& run);
void addResetCommand(CLI::App& app, CommandAction& run);
void addStatusCommand(CLI::App& app, CommandAction& run);
void addLinkCommand(CLI::App& app, CommandAction& run);
void addExportCommand(CLI::App& app, CommandAction& run);

}  // namespace corvane::cli
