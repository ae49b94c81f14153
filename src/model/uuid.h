#pragma once

#include <string>
#include <string_view>

namespace corvane {

// A fresh random UUID in its canonical 36-character upper-case form.
std::string randomUUID();

// The name-based (version 5, SHA-1) UUID of `name` in the tool's own
// namespace, in the same form: the same name always gives the same UUID.
std::string nameBasedUUID(std::string_view name);

}  // namespace corvane
