#include "clients/claude/claude_activation.h"

#include <nlohmann/json.hpp>

#include "files/json_text.h"

namespace corvane {
namespace {

std::optional<std::string> textMember(const nlohmann::json::object_t& record, const char* key) {
    const auto found = record.find(key);
    if (found == record.end() || found->second.is_null()) return std::nullopt;
    return found->second.get<std::string>();
}

}  // namespace

Bytes ClaudeActivation::encoded() const {
    nlohmann::json record = nlohmann::json::object();
    if (appliedId) record["appliedId"] = *appliedId;
    if (deploymentMode) record["deploymentMode"] = *deploymentMode;
    return compactJSONEscapingSlashes(record);
}

ClaudeActivation ClaudeActivation::decoded(const Bytes& data) {
    const auto record = nlohmann::json::parse(data).get<nlohmann::json::object_t>();
    return {textMember(record, "appliedId"), textMember(record, "deploymentMode")};
}

}  // namespace corvane
