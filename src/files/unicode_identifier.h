#pragma once

namespace corvane {

// Whether a code point may begin, or continue, an unquoted JSON5 object key
// (an ECMAScript 5.1 IdentifierName, escapes already decoded).
bool isIdentifierStart(char32_t character);
bool isIdentifierPart(char32_t character);

}  // namespace corvane
