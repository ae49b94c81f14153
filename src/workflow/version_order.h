#pragma once

#include <optional>
#include <string_view>

namespace corvane {

// Compares two version texts by their runs of digits taken as numbers, so
// 4.10000 is later than 4.4212.0; missing runs count as 0. Negative when
// `left` is earlier, zero when equal, positive when later.
int compareVersions(std::string_view left, std::string_view right);

struct SystemVersion {
    int major = 0;
    int minor = 0;
    int patch = 0;
};

// A minimum-system entry such as "14.0": the pieces between dots that are
// decimal integers, in order; nothing when there is none.
std::optional<SystemVersion> parseSystemVersion(std::string_view text);

}  // namespace corvane
