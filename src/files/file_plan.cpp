#include "files/file_plan.h"

#include <algorithm>

#include "files/key_redaction.h"
#include "files/reset_steps.h"
#include "files/unified_diff.h"

namespace corvane {
namespace {

// What putting one change back needs: the file's bytes before it, and its
// recovery backup's.
struct Undo {
    const FileChange* change;
    std::optional<Bytes> file;
    std::optional<Bytes> backup;
};

void putBack(const std::filesystem::path& path, const std::optional<Bytes>& bytes) {
    if (bytes) {
        writePrivateFile(*bytes, path);
    } else {
        removeFileIfPresent(path);
    }
}

void apply(const FileChange& change) {
    switch (change.kind) {
        case FileChange::Kind::configuration:
            if (change.content) {
                replaceConfiguration(*change.content, change.path, change.holding, change.backup);
            } else {
                finishReset(std::nullopt, change.path, change.holding);
            }
            return;
        case FileChange::Kind::restoredConfiguration:
            finishReset(change.content, change.path, change.holding);
            return;
        case FileChange::Kind::ownFile:
            if (change.content) createPrivateDirectories(change.path.parent_path());
            putBack(change.path, change.content);
            return;
    }
}

void undo(const Undo& step) {
    putBack(step.change->path, step.file);
    if (step.change->kind != FileChange::Kind::ownFile) {
        putBack(recoveryBackupURL(step.change->path), step.backup);
    }
}

}  // namespace

void commitPlan(const FilePlan& plan) {
    std::vector<Undo> done;
    try {
        for (const FileChange& change : plan) {
            Undo step{&change, configurationData(change.path), std::nullopt};
            if (change.kind != FileChange::Kind::ownFile) {
                step.backup = configurationData(recoveryBackupURL(change.path));
            }
            apply(change);
            done.push_back(std::move(step));
        }
    } catch (...) {
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            try {
                undo(*it);
            } catch (...) {
                // The failure that started the roll-back is the one to report.
            }
        }
        throw;
    }
}

bool commitPlanIfAny(const std::optional<FilePlan>& plan) {
    if (!plan) return false;
    commitPlan(*plan);
    return std::any_of(plan->begin(), plan->end(), [](const FileChange& change) {
        return change.kind != FileChange::Kind::ownFile;
    });
}

std::string planDiff(const FilePlan& plan, std::string_view key) {
    std::string diff;
    for (const FileChange& change : plan) {
        diff += unifiedDiff(change.path, change.holding, change.content,
                            [key](std::string_view text) { return redactedSecrets(text, key); });
    }
    return diff;
}

}  // namespace corvane
