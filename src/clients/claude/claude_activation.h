#pragma once

#include <optional>
#include <string>

#include "files/config_files.h"

namespace corvane {

// What Claude desktop used before the tool's profile was first applied: the
// content of the recovery record.
struct ClaudeActivation {
    std::optional<std::string> appliedId;
    std::optional<std::string> deploymentMode;

    // Compact JSON; a field without a value is left out, never written as null.
    Bytes encoded() const;

    // Reads a record; either key may be missing (or null). A parse failure, a
    // top level other than an object or a value other than text is thrown as
    // the JSON library's error.
    static ClaudeActivation decoded(const Bytes& data);
};

}  // namespace corvane
