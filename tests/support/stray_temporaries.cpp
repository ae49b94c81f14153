#include "support/stray_temporaries.h"

namespace corvane::testing {

std::vector<std::string> strayTemporaries(const std::filesystem::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".corvane-") && name.size() == 9 + 36) found.push_back(name);
    }
    return found;
}

}  // namespace corvane::testing
