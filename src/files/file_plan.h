#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/config_files.h"

namespace corvane {

// One file a workflow means to change, computed before anything is written.
struct FileChange {
    enum class Kind {
        // A client's file: the guarded write with its one-time recovery backup.
        configuration,
        // A client's file put back by a reset: guarded, then the recovery
        // backup goes.
        restoredConfiguration,
        // A file of the tool's own (the Codex catalog, the Hermes receipt):
        // written or removed as it stands.
        ownFile,
    };

    Kind kind = Kind::configuration;
    std::filesystem::path path;
    // What the file holds now (nothing: no file); the guard of the two
    // configuration kinds compares the file with it once more before writing.
    std::optional<Bytes> holding;
    // The new bytes; nothing removes the file.
    std::optional<Bytes> content;
    // For `configuration`: whether a recovery backup already there stays.
    RecoveryBackup backup = RecoveryBackup::keepFirst;
};

// Every change of one run, in the order they are made.
using FilePlan = std::vector<FileChange>;

// Makes the changes in order. When one fails, the files already changed in
// this run (and the backups they made or consumed) are put back, last first,
// and the first error is passed on.
void commitPlan(const FilePlan& plan);

// Commits `plan` when there is one (a reset that found something of the
// tool's). True when it changed a client's file; false when there is none, or
// when it only clears up files of the tool's own (a stale receipt), which the
// client never read.
bool commitPlanIfAny(const std::optional<FilePlan>& plan);

// The unified diff of every change, each side's keys redacted as
// redactedSecrets (key_redaction.h) says; a changed key still shows as a
// changed line.
std::string planDiff(const FilePlan& plan, std::string_view key);

}  // namespace corvane
