#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace corvane {

// Unicode white space and line breaks as the platform's text APIs see them
// (not just ASCII): a pasted full-width or no-break space counts.
bool isWhitespaceOrNewline(char32_t character);

// Removes white space and line breaks from both ends. Bytes that are not valid
// UTF-8 are never white space and stay.
std::string trimmed(std::string_view text);

// Whether any character of the text is white space or a line break.
bool containsWhitespaceOrNewline(std::string_view text);

// Whether the text holds a control character (C0, DEL or C1), which could
// steer a terminal that shows it.
bool containsControlCharacter(std::string_view text);

// Foreign text (a gateway's model IDs, a file's values, a library's error) as
// a terminal or a window may show it: control characters (C0 but tab, DEL,
// C1), line and paragraph separators, bidirectional overrides and isolates
// and bytes that are not UTF-8 are written as escapes ("\x1b", "\u202e"), so
// that the text can neither steer a terminal, nor start a new row, nor
// reorder what is shown after it.
std::string displayable(std::string_view text);
// The same, appended to `out`.
void appendDisplayable(std::string& out, std::string_view text);
// Serialised JSON with each character that displayable escapes written as a
// JSON \u escape instead, so that a JSON reader gets the same value. C0
// characters stay: inside strings JSON has escaped them already, and outside
// they lay the text out. Bytes that are not UTF-8 stay as they are.
std::string withJsonEscapesForDisplay(std::string_view json);

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view bytes);

// Appends the code point `c` encoded as UTF-8.
void appendUtf8(std::string& out, char32_t c);

std::string asciiLowercased(std::string_view text);

// The UTF-8 byte-order mark some editors put at the start of a file.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The byte-order mark at the start of `text` (empty when there is none) and
// the text after it.
std::pair<std::string_view, std::string_view> splitByteOrderMark(std::string_view text);

}  // namespace corvane
