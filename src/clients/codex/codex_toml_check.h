#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// Why a real TOML reader (toml++) refuses `text`, with the line and column it
// stopped at; nothing when the text is valid TOML. The line model the writer
// edits with can miss what TOML forbids (a key defined twice, a table declared
// again), and Codex refuses to start on such a file.
std::optional<std::string> tomlReadError(std::string_view text);

}  // namespace corvane
