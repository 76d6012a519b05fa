#include "ui/fonts.h"

#include <cstring>

namespace larkspur::ui {

namespace {

// The system's message font at dpi: the window default. Should the query
// fail, the empty record gives GDI's default font.
LOGFONTW DefaultFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    return metrics.lfMessageFont;
}

bool FaceInstalled(const wchar_t* face, BYTE charset) {
    LOGFONTW wanted{};
    wanted.lfCharSet = charset;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    const win32::WindowDc screen;
    bool found = false;
    EnumFontFamiliesExW(
        screen.get(), &wanted,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM param) -> int {
            *reinterpret_cast<bool*>(param) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// The Japanese UI faces of the Windows versions, newest first. With none of
// them installed the face stays empty and GDI picks by character set.
const wchar_t* JapaneseUiFace() {
    for (const wchar_t* face : {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"}) {
        if (FaceInstalled(face, SHIFTJIS_CHARSET)) {
            return face;
        }
    }
    return L"";
}

}  // namespace

LOGFONTW WantedFont(const FontSpec* spec, UINT dpi) {
    LOGFONTW lf = DefaultFont(dpi);
    if (!spec) {
        return lf;
    }
    if (spec->face && FaceInstalled(spec->face, spec->charset)) {
        lstrcpynW(lf.lfFaceName, spec->face, LF_FACESIZE);
    } else if (spec->face && spec->charset == SHIFTJIS_CHARSET) {
        lstrcpynW(lf.lfFaceName, JapaneseUiFace(), LF_FACESIZE);
    }
    if (spec->pointSize100) {
        lf.lfHeight = -MulDiv(spec->pointSize100, static_cast<int>(dpi), 7200);
    }
    lf.lfWeight = spec->weight;
    lf.lfUnderline = spec->underline;
    lf.lfCharSet = spec->charset;
    return lf;
}

SIZE Measure(HFONT font, const wchar_t* text) {
    const win32::WindowDc screen;
    const win32::Selection selected(screen.get(), font);
    TEXTMETRICW tm{};
    GetTextMetricsW(screen.get(), &tm);
    SIZE extent{0, 0};
    if (text) {
        GetTextExtentPoint32W(screen.get(), text, lstrlenW(text), &extent);
    }
    return {extent.cx, tm.tmHeight};
}

HFONT FontCache::Get(const LOGFONTW& font) {
    for (const Entry& entry : fonts_) {
        if (std::memcmp(&entry.font, &font, sizeof font) == 0) {
            return entry.handle.get();
        }
    }
    fonts_.push_back({font, win32::FontHandle(CreateFontIndirectW(&font))});
    return fonts_.back().handle.get();
}

HFONT FontCache::Fitting(LOGFONTW font, const wchar_t* caption, int width, int height) {
    HFONT handle = Get(font);
    if (Measure(handle, nullptr).cy > height) {
        font.lfHeight = height;  // a positive height asks for the cell height
        handle = Get(font);
    }
    const int textWidth = Measure(handle, caption).cx;
    if (textWidth > width) {
        font.lfHeight = font.lfHeight * width / textWidth;  // towards zero: never wider
        handle = Get(font);
    }
    return handle;
}

}  // namespace larkspur::ui
