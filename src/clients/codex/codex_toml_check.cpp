#include "clients/codex/codex_toml_check.h"

#include <toml++/toml.h>

#include "model/messages.h"

namespace corvane {

std::optional<std::string> tomlReadError(std::string_view text) {
    try {
        (void)toml::parse(text);
        return std::nullopt;
    } catch (const toml::parse_error& error) {
        const toml::source_position where = error.source().begin;
        return translated("clients.codex.toml-position", {{"line", std::to_string(where.line)},
                                                          {"column", std::to_string(where.column)},
                                                          {"reason", error.description()}});
    }
}

}  // namespace corvane
