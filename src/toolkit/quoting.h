#pragma once

#include <string>
#include <string_view>

namespace orvane {

// The program's own quoting of a text: between double quotes, with a backslash before `"` and
// `\`, and `\n`, `\r` for line breaks; every other byte as it is. The journal's details, the
// scenario runner's transcript and the printed control values all write it, and
// parseDetails and the scenario scripts read it back.
//
// JSON (jsonText) and the sound process's fields (escapeSoundField) escape by rules of their
// own around the same backslash escapes: JSON must escape every control byte for its readers
// to accept it, and a sound field must hold no space and cannot be empty, since its line is
// split at spaces.
std::string quoteText(std::string_view text);
void appendQuoted(std::string& out, std::string_view text);

// The backslash escape of C when C is one of the bytes in TAKEN: a backslash before `"` and
// `\`, and \b, \f, \n, \r, \t for the control bytes C writes so; empty for any other byte.
std::string_view backslashEscape(char c, std::string_view taken);
// The byte that a backslash followed by LETTER stands for, when LETTER is one of TAKEN: `"`,
// `\` and `/` for themselves, and b, f, n, r, t for their control bytes; 0 for any other.
char backslashUnescape(char letter, std::string_view taken);

} // namespace orvane
