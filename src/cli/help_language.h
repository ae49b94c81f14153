#pragma once

#include <CLI/CLI.hpp>

namespace corvane::cli {

// CLI11 writes its headings and its own flags' texts in English; here they
// come from the catalogue like every other text. Call it before adding any
// subcommand: a subcommand takes its formatter, help flag and option group
// from its parent when it is made.
void speakChosenLanguage(CLI::App& app);

// The heading the subcommands are listed under, once they are all added.
void nameSubcommandGroup(CLI::App& app);

}  // namespace corvane::cli
