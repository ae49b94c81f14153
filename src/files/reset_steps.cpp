#include "files/reset_steps.h"

#include "model/messages.h"
#include "model/setup_error.h"

namespace corvane {

std::optional<Bytes> originalConfiguration(const std::filesystem::path& path) {
    std::optional<Bytes> backup = configurationData(recoveryBackupURL(path));
    // An empty backup records that the file did not exist before.
    if (!backup || backup->empty()) return std::nullopt;
    if (*backup == kEmptyFileBackup) return Bytes{};
    return backup;
}

void finishReset(const std::optional<Bytes>& data, const std::filesystem::path& path,
                 const std::optional<Bytes>& previous) {
    refuseReadOnlyFile(path);
    if (data) {
        writeGuardedFile(*data, path, previous);
    } else if (std::filesystem::is_symlink(path)) {
        // A link is the user's own: its target was empty before, and the
        // link stays.
        writeGuardedFile(Bytes{}, path, previous);
    } else {
        if (!fileStillHolds(path, previous)) {
            throw SetupError(translated("files.config.changed-under-us"));
        }
        removeFileIfPresent(path);
    }
    removeFileIfPresent(recoveryBackupURL(path));
}

bool isOwnedModel(const nlohmann::json* value) {
    return value != nullptr && value->is_string() &&
           value->get_ref<const std::string&>().starts_with("corvane-desktop/");
}

}  // namespace corvane
