#include "files/json_members.h"

#include <string>
#include <utility>

namespace corvane {

const nlohmann::json* jsonMember(const nlohmann::json& object, std::string_view key) {
    if (!object.is_object()) return nullptr;
    const auto found = object.find(std::string(key));
    return found == object.end() ? nullptr : &*found;
}

nlohmann::json objectMember(const nlohmann::json& object, std::string_view key) {
    const nlohmann::json* member = jsonMember(object, key);
    return member != nullptr && member->is_object() ? *member : nlohmann::json::object();
}

void storeUnlessEmpty(nlohmann::json& object, std::string_view key, nlohmann::json value,
                      const nlohmann::json& earlierObject) {
    const nlohmann::json* earlier = jsonMember(earlierObject, key);
    const bool keptEmpty = earlier != nullptr && earlier->is_object() && earlier->empty() &&
                           jsonMember(object, key) != nullptr;
    // The tool made an object of whatever stood here before (null, a string,
    // a list); with the tool's entries gone, that value comes back.
    if (value.empty() && earlier != nullptr && !earlier->is_object()) {
        object[std::string(key)] = *earlier;
    } else if (value.empty() && !keptEmpty) {
        object.erase(std::string(key));
    } else {
        object[std::string(key)] = std::move(value);
    }
}

void eraseMembersWithPrefix(nlohmann::json& object, std::string_view prefix) {
    for (auto entry = object.begin(); entry != object.end();) {
        entry = entry.key().starts_with(prefix) ? object.erase(entry) : std::next(entry);
    }
}

}  // namespace corvane
