#include "clients/codex/codex_toml_check.h"

#include <toml++/toml.h>

namespace corvane {

std::optional<std::string> tomlReadError(std::string_view text) {
    try {
        (void)toml::parse(text);
        return std::nullopt;
    } catch (const toml::parse_error& error) {
        const toml::source_position where = error.source().begin;
        return "第 " + std::to_string(where.line) + " 行第 " + std::to_string(where.column) +
               " 列：" + std::string(error.description());
    }
}

}  // namespace corvane
