#include "platform/desktop_entry.h"

#include <cstring>
#include <utility>

#include "platform/key_file.h"
#include "platform/program_path.h"

namespace corvane {
namespace {

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

// Both spellings resolved, so that a program reached through a symbolic
// link matches the file the process runs.
bool sameFile(const std::filesystem::path& first, const std::filesystem::path& second) {
    std::error_code error;
    return std::filesystem::equivalent(first, second, error);
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
    const auto keys = keyFileGroup(file, "Desktop Entry");
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
    return DesktopEntry{value("Name").value_or(file.stem().string()),
                        std::move(*command),
                        *program,
                        value("StartupWMClass"),
                        value("X-AppImage-Version"),
                        value("X-Flatpak")};
}

bool runsEntry(const RunningApplication& process, const DesktopEntry& entry) {
    if (entry.flatpakApplication) return process.sandboxApplication() == entry.flatpakApplication;
    const auto executable = process.executablePath();
    return executable && sameFile(*executable, entry.program);
}

}  // namespace corvane
