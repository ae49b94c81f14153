#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// Hermes' config.yaml edited as text: only the top-level "model" entry
// changes, every other byte stays. Works on plain block-style YAML only;
// nothing comes back for anything else (flow style, anchors, tags or block
// scalars on the model line, a list at the top), and the caller falls back to
// writing the whole document. Callers read the result back through Hermes'
// own converter before they use it.

// The text with its "model" entry changed from `current` to `intended`
// (nullptr: no entry). Between two mappings only the fields that differ
// change: their lines are replaced, added at the end of the block in its
// indentation, or taken out; comments and other fields stay. Otherwise the
// whole entry is replaced, added at the end, or taken out.
std::optional<std::string> yamlWithModel(std::string_view text, const nlohmann::json* current,
                                         const nlohmann::json* intended);

// The text with its "model" entry replaced by the one `earlier` holds, as
// `earlier` writes it; taken out when `earlier` has none.
std::optional<std::string> yamlWithEarlierModel(std::string_view text, std::string_view earlier);

// The model entry's one-line string fields as they read, for a look at the
// file without the converter; empty when the entry is not a plain block
// mapping. Lines that wrap, and values that are not simple scalars, are left out.
std::map<std::string, std::string> yamlModelStrings(std::string_view text);

}  // namespace corvane
