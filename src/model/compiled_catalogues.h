#pragma once

#include <span>

#include "model/language.h"

namespace corvane {

// The .mo bytes msgfmt made of a language's catalogue at build time.
std::span<const unsigned char> compiledCatalogue(Language language);

}  // namespace corvane
