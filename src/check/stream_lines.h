#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace corvane {

// Splits a body that arrives in arbitrary pieces into lines. LF, CRLF and CR
// each end a line, also when a CRLF is split between two pieces. A line longer
// than the cap is dropped whole, so an endless line cannot exhaust memory.
class StreamLines {
public:
    // Called with each complete line, without its break; returning false stops
    // the splitting (the rest of the piece is ignored).
    using LineHandler = std::function<bool(std::string_view line)>;

    explicit StreamLines(std::size_t maxLineBytes) : maxLineBytes_(maxLineBytes) {}

    // Returns false when the handler asked to stop.
    bool feed(std::string_view bytes, const LineHandler& handler);

    // The body ended: hands over a last line that had no break after it.
    bool finish(const LineHandler& handler);

private:
    bool endLine(const LineHandler& handler);

    std::size_t maxLineBytes_;
    std::string line_;
    bool overlong_ = false;
    bool afterCarriageReturn_ = false;
};

}  // namespace corvane
