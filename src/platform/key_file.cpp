#include "platform/key_file.h"

#include <fstream>

namespace corvane {
namespace {

constexpr std::size_t kLongestKeyFile = 1 << 20;

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::optional<std::map<std::string, std::string>> keyFileGroup(const std::filesystem::path& file,
                                                               std::string_view group) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) return std::nullopt;
    // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict, a false
    // positive) on "[" + std::string(...) + "]".
    std::string header = "[";
    header.append(group).append("]");
    std::map<std::string, std::string> keys;
    bool inGroup = false;
    bool sawGroup = false;
    std::size_t read = 0;
    for (std::string line; std::getline(stream, line);) {
        read += line.size() + 1;
        if (read > kLongestKeyFile) return std::nullopt;
        const std::string text = trimmed(line);
        if (text.empty() || text.front() == '#') continue;
        if (text.front() == '[') {
            inGroup = text == header;
            sawGroup = sawGroup || inGroup;
            continue;
        }
        const std::size_t equals = text.find('=');
        if (!inGroup || equals == std::string::npos) continue;
        const std::string key = trimmed(text.substr(0, equals));
        if (key.find('[') == std::string::npos && !keys.contains(key)) {
            keys[key] = trimmed(text.substr(equals + 1));
        }
    }
    if (!sawGroup) return std::nullopt;
    return keys;
}

}  // namespace corvane
