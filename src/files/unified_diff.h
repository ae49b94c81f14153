#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "files/config_files.h"

namespace corvane {

// A unified diff of one file (3 lines of context), as `patch -p1` applied in
// the root folder takes it: "--- a/<path>" / "+++ b/<path>", a file that does
// not exist on either side as /dev/null. Each line keeps its own ending, and a
// last line without one is marked "\ No newline at end of file". Empty when
// nothing changes.
//
// `shown`, when given, turns each side's text into what the diff prints, line
// for line (it must keep every line break): the lines are compared as they
// are, so a change that `shown` hides still shows as a changed line.
using ShownText = std::function<std::string(std::string_view text)>;
std::string unifiedDiff(const std::filesystem::path& path, const std::optional<Bytes>& before,
                        const std::optional<Bytes>& after, const ShownText& shown = nullptr);

}  // namespace corvane
