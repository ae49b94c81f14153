#include "check/stream_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane {
namespace {

std::vector<std::string> splitInPieces(const std::vector<std::string>& pieces,
                                       std::size_t maxLineBytes = 64) {
    StreamLines lines(maxLineBytes);
    std::vector<std::string> result;
    const auto collect = [&](std::string_view line) {
        result.emplace_back(line);
        return true;
    };
    for (const std::string& piece : pieces) lines.feed(piece, collect);
    lines.finish(collect);
    return result;
}

TEST(StreamLines, EndsLinesAtLfCrlfAndCrAcrossPieces) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(splitInPieces({"a\nb\r\nc\rd"}), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(splitInPieces({"a\r", "\nb\n"}), (Lines{"a", "b"}));
    EXPECT_EQ(splitInPieces({"a\r", "\r", "\nb"}), (Lines{"a", "", "b"}));
    EXPECT_EQ(splitInPieces({"da", "ta: x", "\n\n"}), (Lines{"data: x", ""}));
    EXPECT_EQ(splitInPieces({"a\n\n\r\n"}), (Lines{"a", "", ""}));
    EXPECT_EQ(splitInPieces({"a\r"}), (Lines{"a"}));
    EXPECT_EQ(splitInPieces({}), Lines{});
}

TEST(StreamLines, DropsLinesLongerThanTheCapWholeAndKeepsTheNext) {
    using Lines = std::vector<std::string>;
    const std::string exact(8, 'x');
    EXPECT_EQ(splitInPieces({exact + "\nok\n"}, 8), (Lines{exact, "ok"}));
    EXPECT_EQ(splitInPieces({exact + "y\nok\n"}, 8), (Lines{"ok"}));
    EXPECT_EQ(splitInPieces({"xxxxx", "xxxxx", "xxxxx", "\r\nok"}, 8), (Lines{"ok"}));
    EXPECT_EQ(splitInPieces({"ok\n", exact + "yz"}, 8), (Lines{"ok"}));
}

TEST(StreamLines, StopsWhenTheHandlerAsks) {
    StreamLines lines(64);
    std::vector<std::string> seen;
    const bool undecided = lines.feed("a\nstop\nc\n", [&](std::string_view line) {
        seen.emplace_back(line);
        return line != "stop";
    });
    EXPECT_FALSE(undecided);
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "stop"}));
}

}  // namespace
}  // namespace corvane
