#pragma once

#include <string>

namespace corvane {

// A fresh random UUID in its canonical 36-character upper-case form.
std::string randomUUID();

}  // namespace corvane
