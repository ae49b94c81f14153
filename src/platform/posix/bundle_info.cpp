#include "platform/bundle_info.h"

#include <plist/plist.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>

namespace corvane {
namespace {

struct PlistFree {
    void operator()(plist_t node) const { plist_free(node); }
};

std::optional<std::string> readWhole(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(stream), {});
}

}  // namespace

std::optional<std::string> bundleInfoString(const std::filesystem::path& bundle,
                                            std::string_view key) {
    std::error_code ignored;
    if (!std::filesystem::is_directory(bundle, ignored)) return std::nullopt;
    std::optional<std::string> bytes = readWhole(bundle / "Contents" / "Info.plist");
    if (!bytes || bytes->empty() || bytes->size() > std::numeric_limits<uint32_t>::max()) {
        return std::nullopt;
    }
    plist_t parsed = nullptr;
    // Detects the XML and the binary form by their first bytes.
    plist_from_memory(bytes->data(), static_cast<uint32_t>(bytes->size()), &parsed);
    std::unique_ptr<void, PlistFree> root(parsed);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return std::nullopt;
    plist_t item = plist_dict_get_item(root.get(), std::string(key).c_str());
    if (item == nullptr || plist_get_node_type(item) != PLIST_STRING) return std::nullopt;
    char* value = nullptr;
    plist_get_string_val(item, &value);
    if (value == nullptr) return std::nullopt;
    std::string result(value);
    std::free(value);
    return result;
}

// There is no macOS version to compare against here.
bool isSystemVersionAtLeast(int, int, int) { return true; }

}  // namespace corvane
