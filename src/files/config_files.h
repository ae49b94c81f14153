#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "model/client.h"

namespace corvane {

// A file's whole content, byte for byte.
using Bytes = std::string;

// The shared file plumbing of every writer and reset. File-system failures are
// thrown as FileError (a std::filesystem::filesystem_error); the system's own
// refusals are SetupError.

// The client's default configuration path ("~/..."): the first of its
// candidates that exists, else the first; nothing when it has none. The file
// system is consulted on every call.
std::optional<std::string> defaultPath(Client client);

// Trims `chosenPath`; when empty uses the client's default path (or ""); a
// leading "~" becomes the home directory.
// The name is the established one; the value is a file-system path, not a URL.
std::filesystem::path localClientConfigURL(Client client, std::string_view chosenPath);

// The whole file, or nothing when it does not exist. An empty file is empty
// bytes, not nothing. A file over 64 MiB is refused unread with SetupError
// files.config.too-large.
std::optional<Bytes> configurationData(const std::filesystem::path& path);

// Reads the file again: true when it still holds `holding` (nothing: still
// absent) and no other file has been moved onto the path meanwhile.
bool fileStillHolds(const std::filesystem::path& path, const std::optional<Bytes>& holding);

// Nothing gives an empty object; otherwise JSON5 is read. A parse failure is
// a Json5ParseError; a top level other than an object is SetupError
// files.config.not-an-object.
nlohmann::json jsonObject(const std::optional<Bytes>& data);

// prettyJSON of `value`, then replaceConfiguration.
void saveJSON(const nlohmann::json& value, const std::filesystem::path& path,
              const std::optional<Bytes>& holding);

// Refuses with SetupError files.config.read-only (the path in the detail) when
// the file exists and its owner may not write it: the user made it read-only,
// and the tool does not undo that.
void refuseReadOnlyFile(const std::filesystem::path& path);

// Whether a save keeps a recovery backup that is already there.
enum class RecoveryBackup {
    // The backup holds the file from before the tool's first write.
    keepFirst,
    // The file holds nothing of the tool's any more: a backup left from a
    // write that has since gone would bring back stale values, so `holding`
    // replaces it.
    renew,
};

// The guarded write: refuses a read-only file (refuseReadOnlyFile) and with
// files.config.changed-under-us when the file no longer holds `holding`, keeps
// a recovery backup as `backup` says, writes atomically (writeGuardedFile). A
// failed write puts the backup back as it was.
void replaceConfiguration(const Bytes& data, const std::filesystem::path& path,
                          const std::optional<Bytes>& holding,
                          RecoveryBackup backup = RecoveryBackup::keepFirst);

// Atomic owner-only (0600) write through a ".corvane-<UUID>" temporary file in
// the same folder, which must exist. The one way the tool writes a file. A
// replaced file keeps its owner and group where the process may give them. A
// symbolic link stays: its target is replaced, in the target's folder; a
// dangling link or one that leads out of the home folder is refused with
// files.config.cannot-apply. Temporary files older than a minute that a
// killed run left in the folder are removed.
void writePrivateFile(const Bytes& data, const std::filesystem::path& path);

// What a recovery backup holds: the file's bytes; zero bytes when the file did
// not exist; kEmptyFileBackup when it existed but was empty, so that a reset
// keeps such a file instead of deleting it.
inline constexpr std::string_view kEmptyFileBackup{"\0corvane: the file existed and was empty\n",
                                                   41};

// writePrivateFile that, right before the rename, checks with fileStillHolds
// and refuses with files.config.changed-under-us: an edit by another program
// during the write is never overwritten.
void writeGuardedFile(const Bytes& data, const std::filesystem::path& path,
                      const std::optional<Bytes>& holding);

// "." + name + ".corvane-backup" beside the file.
// The name is the established one; the value is a file-system path, not a URL.
std::filesystem::path recoveryBackupURL(const std::filesystem::path& path);

// Creates the folder and any missing parents with mode 0700; existing folders
// are left as they are.
void createPrivateDirectories(const std::filesystem::path& folder);

// Deletes the file when present; a missing file is success.
void removeFileIfPresent(const std::filesystem::path& path);

}  // namespace corvane
