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

}  // namespace larkspur
