// Pictures of windows as PNG files.
#pragma once

#include <windows.h>

#include <string>

namespace larkspur::capture {

// The window as it is on the screen, frame included, into a PNG file; run
// on a real display (Xvfb under Wine), where the screen has every control.
bool Capture(HWND hwnd, const std::wstring& path);

}  // namespace larkspur::capture
