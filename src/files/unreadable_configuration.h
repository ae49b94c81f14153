#pragma once

#include <filesystem>
#include <optional>

#include "files/editable_json.h"
#include "files/json5.h"
#include "model/setup_error.h"

namespace corvane {

// A configuration file whose text does not parse: the tool's sentence, with
// the file (from "~"), the line, the column and the reason as its detail.
SetupError unreadableConfiguration(const std::filesystem::path& file, const Json5ParseError& error);

// Runs `read` on what was read from `file`; a text that does not parse ends
// it with unreadableConfiguration.
template <typename Read>
auto readingConfiguration(const std::filesystem::path& file, Read read) -> decltype(read()) {
    try {
        return read();
    } catch (const Json5ParseError& error) {
        throw unreadableConfiguration(file, error);
    }
}

// editableJson of what was read from `file`, whose parse failure is
// unreadableConfiguration.
std::optional<EditableJson> editableConfiguration(const std::filesystem::path& file,
                                                  const std::optional<Bytes>& data);

}  // namespace corvane
