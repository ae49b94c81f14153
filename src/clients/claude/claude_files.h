#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>
#include <vector>

#include "files/config_files.h"
#include "files/editable_json.h"
#include "files/file_plan.h"
#include "model/gateway_settings.h"

namespace corvane {

// The identifier of the tool's gateway profile in Claude desktop's library.
inline constexpr std::string_view kClaudeProfileIdentifier = "1be8c9c6-da90-41e3-aef8-49c1ee88640d";

// The four files of `ClaudeFiles::paths()`, each as it was, or nothing when it
// did not exist.
using ClaudeSnapshot = std::vector<std::optional<Bytes>>;

// Claude desktop's gateway-mode folder: where each file lies, how the tool's
// profile goes in and comes out again. Starts and stops nothing; every
// operation is synchronous and throws on failure. Claude's files are read as
// strict JSON.
class ClaudeFiles {
public:
    explicit ClaudeFiles(std::filesystem::path root);
    // The gateway-mode folder in the user's home.
    static ClaudeFiles inHome();

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path library() const;
    std::filesystem::path profile() const;
    std::filesystem::path meta() const;
    std::filesystem::path mode() const;
    std::filesystem::path recovery() const;
    // profile, meta, mode, recovery: the files a snapshot covers, in its order.
    std::vector<std::filesystem::path> paths() const;

    ClaudeSnapshot snapshot() const;

    // Puts the files back as the snapshot holds them, from the recovery record
    // back to the profile; the first failure ends the walk.
    void restore(const ClaudeSnapshot& snapshot) const;

    // The changes that install the tool's profile and make it the applied one.
    FilePlan applyPlan(const GatewaySettings& settings) const;
    // Makes them; files written before a failure are put back.
    void apply(const GatewaySettings& settings) const;

    // Whether anything of the tool's profile is present.
    bool hasCorvaneConfiguration() const;

    // The changes that remove the tool's profile and put back Claude's
    // earlier choice; nothing when nothing of the tool's is there.
    std::optional<FilePlan> resetPlan() const;
    // Makes them; false when nothing of the tool's was there.
    bool reset() const;

    // Whether Claude desktop has sealed the key of the applied tool profile.
    // Never throws.
    bool didClaudeSealKey() const;

private:
    // The file as Claude wrote it, nothing when it is missing; the strict
    // parser's error when it is not JSON, SetupError clients.claude.malformed
    // when it is not one object.
    std::optional<EditableJson> document(const std::filesystem::path& path) const;
    nlohmann::json object(const std::filesystem::path& path) const;
    // A change of one of Claude's files from what it holds now.
    FileChange change(const std::filesystem::path& path, std::optional<Bytes> content) const;

    std::filesystem::path root_;
};

}  // namespace corvane
