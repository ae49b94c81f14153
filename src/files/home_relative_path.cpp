#include "files/home_relative_path.h"

#include "platform/home.h"

namespace corvane {

std::string homeRelativePath(const std::filesystem::path& path) {
    std::string text = path.string();
    std::string home;
    try {
        home = homeDirectory().string();
    } catch (const std::exception&) {
        return text;
    }
    while (home.size() > 1 && home.ends_with('/')) home.pop_back();
    if (home.empty() || home == "/") return text;
    if (text == home) return "~";
    if (text.starts_with(home + "/")) return "~" + text.substr(home.size());
    return text;
}

}  // namespace corvane
