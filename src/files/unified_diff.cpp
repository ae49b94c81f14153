#include "files/unified_diff.h"

#include <dtl/dtl.hpp>
#include <string_view>
#include <vector>

namespace corvane {
namespace {

using Lines = std::vector<std::string>;
using LineDiff = dtl::Diff<std::string, Lines>;

// Lines with their endings, so that CRLF lines and a missing final newline
// survive the round trip through the diff.
Lines splitLines(std::string_view text) {
    Lines lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
        lines.emplace_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

void appendLine(std::string& diff, char mark, const std::string& line) {
    diff += mark;
    diff += line;
    if (line.empty() || line.back() != '\n') diff += "\n\\ No newline at end of file\n";
}

std::string range(long long start, long long count) {
    return std::to_string(start) + "," + std::to_string(count);
}

std::string wholeFile(const Lines& lines, char mark, bool added) {
    const std::string span = range(lines.empty() ? 0 : 1, static_cast<long long>(lines.size()));
    std::string diff = added ? "@@ -0,0 +" + span + " @@\n" : "@@ -" + span + " +0,0 @@\n";
    for (const auto& line : lines) appendLine(diff, mark, line);
    return diff;
}

std::string changedLines(const Lines& before, const Lines& after) {
    LineDiff diff(before, after);
    diff.compose();
    diff.composeUnifiedHunks();
    std::string text;
    for (const auto& hunk : diff.getUniHunks()) {
        text += "@@ -" + range(hunk.a, hunk.b) + " +" + range(hunk.c, hunk.d) + " @@\n";
        for (const auto& element : hunk.common[0]) appendLine(text, ' ', element.first);
        for (const auto& element : hunk.change) {
            const char mark = element.second.type == dtl::SES_ADD      ? '+'
                              : element.second.type == dtl::SES_DELETE ? '-'
                                                                       : ' ';
            appendLine(text, mark, element.first);
        }
        for (const auto& element : hunk.common[1]) appendLine(text, ' ', element.first);
    }
    return text;
}

}  // namespace

std::string unifiedDiff(const std::filesystem::path& path, const std::optional<Bytes>& before,
                        const std::optional<Bytes>& after) {
    if (before == after) return {};
    const std::string name = path.relative_path().string();
    std::string diff = "--- " + (before ? "a/" + name : std::string("/dev/null")) + "\n";
    diff += "+++ " + (after ? "b/" + name : std::string("/dev/null")) + "\n";
    const Lines old = splitLines(before.value_or(""));
    const Lines updated = splitLines(after.value_or(""));
    if (!before) return diff + wholeFile(updated, '+', true);
    if (!after) return diff + wholeFile(old, '-', false);
    return diff + changedLines(old, updated);
}

}  // namespace corvane
