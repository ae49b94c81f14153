#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "model/messages.h"

namespace corvane::testing {

// A sentence as the Chinese catalogue holds it, the text the tests assert.
// An id the catalogue lacks fails the test instead of comparing equal to
// itself.
std::string zh(std::string_view id, std::initializer_list<Placeholder> values = {});
std::string zhCount(std::string_view id, std::string_view pluralId, unsigned long count,
                    std::initializer_list<Placeholder> values = {});

// The same from the English catalogue.
std::string en(std::string_view id, std::initializer_list<Placeholder> values = {});
std::string enCount(std::string_view id, std::string_view pluralId, unsigned long count,
                    std::initializer_list<Placeholder> values = {});

}  // namespace corvane::testing
