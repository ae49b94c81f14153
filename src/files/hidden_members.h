#pragma once

#include <filesystem>
#include <string_view>

#include "files/editable_json.h"

namespace corvane {

// Whether a member written twice in one object holds `marker` in an earlier
// copy, at any depth. Clients read the last copy, so the tool's entry there is
// out of sight of a reader of the value, yet still in the file.
bool hiddenMemberHolds(const EditableJson& document, std::string_view marker);

// SetupError naming `path` when hiddenMemberHolds: a reset that cannot see the
// tool's entry must not report the file clean, nor leave a key behind.
void refuseHiddenMember(const EditableJson& document, std::string_view marker,
                        const std::filesystem::path& path);

}  // namespace corvane
