#include "model/displayable_lines.h"

#include "model/text.h"

namespace corvane {

std::string displayableLines(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        std::string_view ending;
        if (newline != std::string_view::npos) {
            const bool crlf = line.ends_with('\r');
            if (crlf) line.remove_suffix(1);
            ending = text.substr(line.size(), crlf ? 2 : 1);
        }
        shown += displayable(line);
        shown += ending;
        text.remove_prefix(line.size() + ending.size());
    }
    return shown;
}

}  // namespace corvane
