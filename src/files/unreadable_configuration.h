#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

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

// A file that does not parse where the caller has its own sentence for any
// failure (a reset): the text is the detail unreadableConfiguration gives.
class UnreadableFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// editableJson of what was read from `file`, whose parse failure is
// UnreadableFileError.
std::optional<EditableJson> editableConfiguration(const std::filesystem::path& file,
                                                  const std::optional<Bytes>& data);

}  // namespace corvane
