#pragma once

#include <nlohmann/json.hpp>
#include <string_view>

namespace corvane {

// Walking the nested objects of a client's configuration, where a level may be
// missing or hold a value of another type.

// The member `key` of `object`, or nothing when `object` is not an object or
// has no such member.
const nlohmann::json* jsonMember(const nlohmann::json& object, std::string_view key);

// A copy of the member `key` when it is an object, else an empty object.
nlohmann::json objectMember(const nlohmann::json& object, std::string_view key);

// Removes every member whose key begins with `prefix`: the tool's entries.
void eraseMembersWithPrefix(nlohmann::json& object, std::string_view prefix);

// Stores `value` as member `key` when it has members, else removes `key`, so
// that taking the tool's entries out leaves no empty levels behind. A level
// still present that `earlierObject` (the same place before the tool's first
// save) held as an empty object stays, as the user had it; a value of
// another type that it held there comes back in place of the empty object.
void storeUnlessEmpty(nlohmann::json& object, std::string_view key, nlohmann::json value,
                      const nlohmann::json& earlierObject);

}  // namespace corvane
