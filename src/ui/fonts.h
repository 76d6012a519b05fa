// The fonts of the controls: the system's message font at the window's DPI,
// a face a control asks for where it is installed, and the size at which a
// caption fits its control.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/win32/handles.h"

namespace larkspur::ui {

struct FontSpec {
    const wchar_t* face = nullptr;  // nullptr: the window's default face
    int pointSize100 = 0;           // hundredths of a point; 0: the default size
    int weight = FW_NORMAL;
    bool underline = false;
    BYTE charset = DEFAULT_CHARSET;
};

// The font a control wants at dpi: the system's message font, changed as
// spec says (nullptr: unchanged). A face that is not installed is not left
// to GDI's font mapper, which picks by pitch and family and may land on a
// face without the glyphs: a Japanese face gives way to the system's
// Japanese UI face, any other to the default face.
LOGFONTW WantedFont(const FontSpec* spec, UINT dpi);

SIZE Measure(HFONT font, const wchar_t* text);  // the text's width, the cell's height

// The fonts one window uses, each made once and deleted with the cache.
class FontCache {
  public:
    HFONT Get(const LOGFONTW& font);

    // The wanted font, or the same face smaller so that its cell is no
    // taller than height and the caption no wider than width.
    HFONT Fitting(LOGFONTW font, const wchar_t* caption, int width, int height);

  private:
    struct Entry {
        LOGFONTW font;
        win32::FontHandle handle;
    };
    std::vector<Entry> fonts_;
};

}  // namespace larkspur::ui
