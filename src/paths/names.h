// Names and paths compared as the file system compares them: letter case
// ignored over all of Unicode, as Windows' ordinal compare does, not only
// a to z.
#pragma once

#include <string>
#include <string_view>

namespace larkspur {

// The upper case of a UTF-16 code unit, as the file system's case table has
// it; the unit itself when it has none.
wchar_t UpperCase(wchar_t c);

// The text with every code unit in its upper case: equal for two spellings
// of one name, so usable as a key.
std::wstring Folded(std::wstring_view text);

bool SameName(std::wstring_view a, std::wstring_view b);
// An order in which two spellings of one name are neighbours.
bool NameLess(std::wstring_view a, std::wstring_view b);

// Whether every name of path (past its drive or share) is one the
// platform's path rules keep as it is: none ends in a dot or a space, and
// none is a device name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9,
// also with an extension, as in aux.txt). Only the extended form of a path
// reaches the others.
bool KeepsItsNames(std::wstring_view path);

}  // namespace larkspur
