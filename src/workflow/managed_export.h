#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "workflow/gateway_profile.h"

namespace corvane {

// Claude desktop's managed-preferences domain: the payload type of the
// exported configuration profile and the domain the managed check reads.
inline constexpr std::string_view kClaudeManagedDomain = "com.anthropic.claudefordesktop";

// The gateway settings of the profile for Claude desktop as its managed
// deployment takes them: every value a string, the model list as JSON text
// of the model IDs. `key` is included only when given. Throws the profile's
// SetupError when it does not validate for Claude desktop, or the key's.
nlohmann::json claudeManagedSettings(const GatewayProfile& profile,
                                     const std::optional<std::string>& key);

// A configuration profile for managed Macs (an XML property list) holding
// those settings as one payload of Claude desktop's domain. Its
// PayloadIdentifier follows from the gateway's address, so a new version of
// the team's profile replaces the deployed one; its UUIDs from the settings
// and the address, so the same profile always gives the same text.
std::string claudeConfigurationProfile(const GatewayProfile& profile,
                                       const std::optional<std::string>& key);

}  // namespace corvane
