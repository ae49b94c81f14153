#pragma once

#include <vector>

namespace corvane {

// Where the command line takes the user's API key from. No program the tool
// starts may inherit it: a restarted client, and every command its agent runs,
// would otherwise hold the key.
inline constexpr char kApiKeyVariable[] = "CORVANE_API_KEY";

// The environment a started program gets, as posix_spawn's null-terminated
// envp: ours, entry for entry, without kApiKeyVariable. The pointers are into
// the process's own environment, which must not change while they are used.
std::vector<char*> childEnvironment();

}  // namespace corvane
