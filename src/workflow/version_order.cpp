#include "workflow/version_order.h"

#include <charconv>
#include <string>
#include <vector>

namespace corvane {
namespace {

// Digit runs as numbers; a run too long for 64 bits saturates, which keeps the
// order of any realistic version.
std::vector<unsigned long long> digitRuns(std::string_view text) {
    std::vector<unsigned long long> runs;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        unsigned long long value = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            const unsigned digit = static_cast<unsigned>(text[i] - '0');
            value = value > (~0ULL - digit) / 10 ? ~0ULL : value * 10 + digit;
        }
        runs.push_back(value);
    }
    return runs;
}

}  // namespace

int compareVersions(std::string_view left, std::string_view right) {
    const auto a = digitRuns(left);
    const auto b = digitRuns(right);
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const unsigned long long x = i < a.size() ? a[i] : 0;
        const unsigned long long y = i < b.size() ? b[i] : 0;
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

std::optional<SystemVersion> parseSystemVersion(std::string_view text) {
    std::vector<int> numbers;
    while (!text.empty()) {
        const std::size_t dot = text.find('.');
        const std::string_view piece = text.substr(0, dot);
        int value = 0;
        const auto [end, error] = std::from_chars(piece.data(), piece.data() + piece.size(), value);
        if (!piece.empty() && error == std::errc() && end == piece.data() + piece.size() &&
            value >= 0) {
            numbers.push_back(value);
        }
        if (dot == std::string_view::npos) break;
        text.remove_prefix(dot + 1);
    }
    if (numbers.empty()) return std::nullopt;
    numbers.resize(std::max<std::size_t>(numbers.size(), 3), 0);
    return SystemVersion{numbers[0], numbers[1], numbers[2]};
}

}  // namespace corvane
