#include "files/unified_diff.h"

#include <dtl/dtl.hpp>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace corvane {
namespace {

// A line as the file has it, compared, and as the diff prints it.
struct Line {
    std::string text;
    std::string shown;

    bool operator==(const Line& other) const { return text == other.text; }
};

using Lines = std::vector<Line>;
using LineDiff = dtl::Diff<Line, Lines>;

// Lines with their endings, so that CRLF lines and a missing final newline
// survive the round trip through the diff.
std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
        lines.emplace_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

Lines shownLines(std::string_view text, const ShownText& shown) {
    std::vector<std::string> texts = splitLines(text);
    std::vector<std::string> shownTexts = shown ? splitLines(shown(text)) : texts;
    // A `shown` that broke the line count must not misplace what it hides.
    if (shownTexts.size() != texts.size()) throw std::logic_error("shown text lost its lines");
    Lines lines;
    lines.reserve(texts.size());
    for (std::size_t index = 0; index < texts.size(); ++index) {
        lines.push_back({std::move(texts[index]), std::move(shownTexts[index])});
    }
    return lines;
}

void appendLine(std::string& diff, char mark, const Line& line) {
    diff += mark;
    diff += line.shown;
    if (line.text.empty() || line.text.back() != '\n') {
        if (line.shown.empty() || line.shown.back() != '\n') diff += '\n';
        diff += "\\ No newline at end of file\n";
    }
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
                        const std::optional<Bytes>& after, const ShownText& shown) {
    if (before == after) return {};
    const std::string name = path.relative_path().string();
    std::string diff = "--- " + (before ? "a/" + name : std::string("/dev/null")) + "\n";
    diff += "+++ " + (after ? "b/" + name : std::string("/dev/null")) + "\n";
    const Lines old = shownLines(before.value_or(""), shown);
    const Lines updated = shownLines(after.value_or(""), shown);
    if (!before) return diff + wholeFile(updated, '+', true);
    if (!after) return diff + wholeFile(old, '-', false);
    return diff + changedLines(old, updated);
}

}  // namespace corvane
