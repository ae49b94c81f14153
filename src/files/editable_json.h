#pragma once

#include <nlohmann/json.hpp>
#include <optional>

#include "files/config_files.h"
#include "files/edit_check_failed.h"

namespace corvane {

// A JSON, JSONC or JSON5 file as its owner wrote it. The tool changes only
// the members it must: a changed member gets new value text, a new member goes
// at the end of its object (missing objects on its path are created with it),
// a member that goes is taken out with its comma and, when it stood alone,
// its line. Everything else stays byte for byte: comments, order, blank
// lines, number spellings, trailing commas, unquoted keys, a byte-order mark.
class EditableJson {
public:
    // Reads the text; Json5ParseError when it is not JSON5.
    explicit EditableJson(Bytes text);

    const Bytes& text() const { return text_; }
    const nlohmann::json& value() const { return value_; }

    // The text changed to hold `intended`. New text follows the file's
    // indentation and line endings, with quoted keys. A value that `earlier`
    // (the file before the tool's first save) holds at the same place comes
    // back as its text there. The result is read back and compared with
    // `intended`; a difference is EditCheckFailed.
    Bytes textHolding(const nlohmann::json& intended, const EditableJson* earlier = nullptr) const;

private:
    Bytes text_;
    nlohmann::json value_;
};

// Equal JSON values, NaN equal to itself, so that a value the tool never
// touched is never taken for a change.
bool sameJsonValue(const nlohmann::json& a, const nlohmann::json& b);

// The bytes a JSON configuration is to hold: `document` edited to hold
// `intended`, or, when there was no file, `intended` pretty-printed with
// sorted keys.
Bytes jsonConfigurationText(const std::optional<EditableJson>& document,
                            const nlohmann::json& intended,
                            const std::optional<EditableJson>& earlier = std::nullopt);

// The document of a file's bytes, nothing for a missing file.
std::optional<EditableJson> editableJson(const std::optional<Bytes>& data);

// jsonObject's rule for a document read already: no document gives an empty
// object, a top level other than an object is SetupError.
nlohmann::json jsonObject(const std::optional<EditableJson>& document);

}  // namespace corvane
