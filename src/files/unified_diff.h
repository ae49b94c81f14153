#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "files/config_files.h"

namespace corvane {

// A unified diff of one file (3 lines of context), as `patch -p1` applied in
// the root folder takes it: "--- a/<path>" / "+++ b/<path>", a file that does
// not exist on either side as /dev/null. Each line keeps its own ending, and a
// last line without one is marked "\ No newline at end of file". Empty when
// nothing changes.
std::string unifiedDiff(const std::filesystem::path& path, const std::optional<Bytes>& before,
                        const std::optional<Bytes>& after);

}  // namespace corvane
