#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>

#include "files/config_files.h"

namespace corvane {

// The steps every client reset shares.

// The recovery backup's bytes; nothing when it is missing or empty (the file
// did not exist before the tool's first write); empty bytes when the file
// existed but was empty.
std::optional<Bytes> originalConfiguration(const std::filesystem::path& path);

// Refuses a read-only file (refuseReadOnlyFile), and with
// files.config.changed-under-us unless the file still holds `previous`; then
// writes `data` atomically (or deletes the file when `data` is nothing; a
// symbolic link stays and its target is emptied) and finally deletes the
// recovery backup.
void finishReset(const std::optional<Bytes>& data, const std::filesystem::path& path,
                 const std::optional<Bytes>& previous);

// A model reference the tool wrote: a string beginning with "corvane-desktop/".
bool isOwnedModel(const nlohmann::json* value);

}  // namespace corvane
