#include "platform/desktop_entry.h"

#include <cstring>
#include <fstream>
#include <map>
#include <utility>

#include "platform/program_path.h"

namespace corvane {
namespace {

// Larger files are not desktop entries; reading stops there.
constexpr std::size_t kLongestEntry = 1 << 20;

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The keys of the [Desktop Entry] group; localized keys ("Name[de]") and
// other groups (actions) are left out.
std::optional<std::map<std::string, std::string>> mainGroup(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) return std::nullopt;
    std::map<std::string, std::string> keys;
    bool inMain = false;
    bool sawMain = false;
    std::size_t read = 0;
    for (std::string line; std::getline(stream, line);) {
        read += line.size() + 1;
        if (read > kLongestEntry) return std::nullopt;
        const std::string text = trimmed(line);
        if (text.empty() || text.front() == '#') continue;
        if (text.front() == '[') {
            inMain = text == "[Desktop Entry]";
            sawMain = sawMain || inMain;
            continue;
        }
        const std::size_t equals = text.find('=');
        if (!inMain || equals == std::string::npos) continue;
        const std::string key = trimmed(text.substr(0, equals));
        if (key.find('[') == std::string::npos && !keys.contains(key)) {
            keys[key] = trimmed(text.substr(equals + 1));
        }
    }
    if (!sawMain) return std::nullopt;
    return keys;
}

// The escapes every string value may hold, applied before Exec's quoting.
std::string unescaped(const std::string& value) {
    std::string result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            result += value[i];
            continue;
        }
        switch (value[++i]) {
            case 's':
                result += ' ';
                break;
            case 'n':
                result += '\n';
                break;
            case 't':
                result += '\t';
                break;
            case 'r':
                result += '\r';
                break;
            case '\\':
                result += '\\';
                break;
            default:
                // Not a string escape: the quoting rule of Exec reads it.
                result += '\\';
                result += value[i];
        }
    }
    return result;
}

bool isFieldCode(char code) { return std::strchr("fFuUdDnNickvm", code) != nullptr; }

// Field codes stand for files, URLs and icons handed over at launch; a start
// without any drops them.
std::optional<std::string> withoutFieldCodes(const std::string& argument) {
    if (argument.size() == 2 && argument[0] == '%' && isFieldCode(argument[1])) {
        return std::nullopt;
    }
    std::string result;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        if (argument[i] == '%' && i + 1 < argument.size()) {
            if (argument[i + 1] == '%') result += '%';
            ++i;
            continue;
        }
        result += argument[i];
    }
    return result;
}

}  // namespace

std::optional<std::vector<std::string>> execArguments(const std::string& exec) {
    const std::string text = unescaped(exec);
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '\\' && i + 1 < text.size() && std::strchr("\"`$\\", text[i + 1])) {
                word += text[++i];
            } else if (c == '"') {
                quoted = false;
            } else {
                word += c;
            }
        } else if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(std::exchange(word, {}));
            inWord = false;
        } else {
            if (c == '"') {
                quoted = true;
            } else {
                word += c;
            }
            inWord = true;
        }
    }
    if (quoted) return std::nullopt;
    if (inWord) words.push_back(word);
    std::vector<std::string> arguments;
    for (const std::string& each : words) {
        if (auto argument = withoutFieldCodes(each)) arguments.push_back(std::move(*argument));
    }
    return arguments;
}

std::optional<DesktopEntry> readDesktopEntry(const std::filesystem::path& file) {
    std::error_code error;
    if (file.extension() != ".desktop" || !std::filesystem::is_regular_file(file, error)) {
        return std::nullopt;
    }
    const auto keys = mainGroup(file);
    if (!keys) return std::nullopt;
    auto value = [&](const std::string& key) -> std::optional<std::string> {
        const auto found = keys->find(key);
        if (found == keys->end()) return std::nullopt;
        return unescaped(found->second);
    };
    if (value("Type") != "Application" || value("Hidden") == "true" ||
        value("Terminal") == "true") {
        return std::nullopt;
    }
    if (const auto tryExec = value("TryExec"); tryExec && !resolveProgram(*tryExec)) {
        return std::nullopt;
    }
    const auto exec = keys->find("Exec");
    if (exec == keys->end()) return std::nullopt;
    auto command = execArguments(exec->second);
    if (!command || command->empty()) return std::nullopt;
    const auto program = resolveProgram(command->front());
    if (!program) return std::nullopt;
    return DesktopEntry{value("Name").value_or(file.stem().string()), std::move(*command), *program,
                        value("StartupWMClass"), value("X-AppImage-Version")};
}

}  // namespace corvane
