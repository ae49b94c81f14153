#pragma once

#include <filesystem>
#include <stop_token>
#include <string_view>

#include "clients/selected_client_configuration.h"
#include "files/file_plan.h"

namespace corvane {

// The SHA-256 (64 lower-case hex digits) of the one gateway host whose Hermes
// configurations may be taken back without a receipt; set when the tool is
// built. Empty when no host is configured, which matches nothing.
std::string_view knownHermesHostFingerprint();

// Takes the tool's four "model" fields out of Hermes' configuration at `configPath`
// and puts the earlier values from the recovery backup back. True when the
// file was rewritten or deleted, false when nothing of the tool's is there.
// Throws SetupError clients.hermes.changed-elsewhere when the
// connection no longer matches the receipt, leaving everything as it was.
bool resetHermes(const std::filesystem::path& configPath, const InstalledApplication& application,
                 std::string_view knownHostFingerprint = knownHermesHostFingerprint(),
                 std::stop_token stop = {});
// The same changes, computed; nothing when there is nothing to take out.
std::optional<FilePlan> resetHermesPlan(
    const std::filesystem::path& configPath, const InstalledApplication& application,
    std::string_view knownHostFingerprint = knownHermesHostFingerprint(),
    std::stop_token stop = {});

}  // namespace corvane
