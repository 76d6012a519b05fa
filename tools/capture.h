// Pictures of windows as PNG files.
#pragma once

#include <windows.h>

#include <string>

namespace larkspur::capture {

// What became of a picture. A window that is gone (or hidden) before its
// pixels were copied, or while they were, leaves no file.
enum class Picture { kSaved, kClosed, kNotWritten };

// The window as it is on the screen, frame included, into a PNG file; run
// on a real display (Xvfb under Wine), where the screen has every control.
Picture Capture(HWND hwnd, const std::wstring& path);

}  // namespace larkspur::capture
