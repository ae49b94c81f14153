#include "files/file_plan.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <regex>

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
                replaceConfiguration(*change.content, change.path, change.holding);
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

// A key member's name, quoted or not, its separator, and its value: a quoted
// string or a bare word (YAML, TOML keys).
const std::regex& keyMember() {
    static const std::regex pattern(
        R"re(((["']?)(?:apiKey|api_key|x-api-key|experimental_bearer_token|inferenceGatewayApiKey)\2\s*[:=]\s*)("(?:[^"\\]|\\.)*"|'[^']*'|[^\s,}#]+))re");
    return pattern;
}

std::string redactedMembers(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    auto last = text.cbegin();
    for (std::sregex_iterator match(text.begin(), text.end(), keyMember()), end; match != end;
         ++match) {
        result.append(last, (*match)[3].first);
        const char quote = *(*match)[3].first;
        result += quote == '"' ? "\"<redacted>\"" : quote == '\'' ? "'<redacted>'" : "<redacted>";
        last = (*match)[3].second;
    }
    result.append(last, text.cend());
    return result;
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

std::string redactedSecrets(std::string text, std::string_view key) {
    static constexpr std::string_view kRedacted = "<redacted>";
    if (!key.empty()) {
        const std::string quoted = nlohmann::json(std::string(key)).dump();
        const std::string escaped = quoted.substr(1, quoted.size() - 2);
        std::string slashEscaped;
        for (char c : escaped) slashEscaped += c == '/' ? std::string("\\/") : std::string(1, c);
        for (const std::string& secret : {std::string(key), escaped, slashEscaped}) {
            for (std::size_t at = text.find(secret); at != std::string::npos;
                 at = text.find(secret, at + kRedacted.size())) {
                text.replace(at, secret.size(), kRedacted);
            }
        }
    }
    return redactedMembers(text);
}

std::string planDiff(const FilePlan& plan, std::string_view key) {
    std::string diff;
    for (const FileChange& change : plan) {
        diff += unifiedDiff(change.path, change.holding, change.content);
    }
    return redactedSecrets(std::move(diff), key);
}

}  // namespace corvane
