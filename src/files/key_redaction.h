#pragma once

#include <string>
#include <string_view>

namespace corvane {

// What a dry run shows in place of a key.
inline constexpr std::string_view kRedacted = "<redacted>";

// `text` (a client's file) as a dry run may show it. First by position: the
// value of every member that holds a key in the clients' files (apiKey,
// api_key, x-api-key, experimental_bearer_token, inferenceGatewayApiKey, in
// any letter case and at any depth; found through the JSON5 reader's token
// positions, or line by line in TOML and YAML) becomes "<redacted>", so that
// a reset, which does not know the key it takes out, and a key of any shape
// are hidden alike. Then `key` (when not empty) wherever else it stands, also
// in the escaped forms JSON, TOML and YAML give it; a key of fewer than 8
// characters only where it is a word of its own, as a short text turns up
// inside other words by chance. Every line break stays, so the result has the
// lines of `text`, one for one.
std::string redactedSecrets(std::string_view text, std::string_view key);

}  // namespace corvane
