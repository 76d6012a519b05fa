// The program's version information, read straight from the bytes of its
// VERSIONINFO resource.
//
// The system's own reader lives in version.dll, which is not one of the
// DLLs Windows always takes from the system folder: importing it would let
// a version.dll lying beside the exe (in a Downloads folder, say) run inside
// the program. The block's layout is simple enough to walk here instead.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace larkspur {

// The string value `name` ("ProductName", "FileVersion", ...) of a
// VS_VERSIONINFO block, from the string table of the first language and
// code page its translation list names; keys match without regard to case.
// Empty when the value is missing or the block is malformed; no byte
// outside `block` is ever read.
std::wstring VersionInfoString(std::span<const uint8_t> block, std::wstring_view name);

}  // namespace larkspur
