#include "check/stream_lines.h"

namespace corvane {

bool StreamLines::feed(std::string_view bytes, const LineHandler& handler) {
    std::size_t position = 0;
    while (position < bytes.size()) {
        if (afterCarriageReturn_ && bytes[position] == '\n') {
            ++position;  // the LF of a CRLF pair
        }
        afterCarriageReturn_ = false;
        const std::size_t end = bytes.find_first_of("\r\n", position);
        const std::string_view piece =
            bytes.substr(position, end == std::string_view::npos ? end : end - position);
        if (!overlong_) {
            if (line_.size() + piece.size() > maxLineBytes_) {
                overlong_ = true;
                std::string().swap(line_);
            } else {
                line_.append(piece);
            }
        }
        if (end == std::string_view::npos) return true;
        afterCarriageReturn_ = bytes[end] == '\r';
        position = end + 1;
        if (!endLine(handler)) return false;
    }
    return true;
}

bool StreamLines::finish(const LineHandler& handler) {
    if (line_.empty() && !overlong_) return true;
    return endLine(handler);
}

bool StreamLines::endLine(const LineHandler& handler) {
    const bool wasOverlong = overlong_;
    overlong_ = false;
    std::string line;
    line.swap(line_);
    return wasOverlong || handler(line);
}

}  // namespace corvane
