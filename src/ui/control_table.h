// Windows described as tables of their controls.
//
// Each window of the program is a FormSpec: its caption, its client size and
// a table of ControlRow, one per control (name, kind, caption, frame, position
// and size at 96 DPI, tab order). Form creates the window and one control per
// row, scales every position with the window's DPI and follows DPI changes,
// so a window reads like its description and a layout test can compare the
// real window with the same table.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace larkspur::ui {

// Link: a label in the link style (blue text, hand cursor) that reports
// clicks. DefaultButton: the push button Enter presses, drawn as such.
enum class Kind {
    Label,
    Button,
    CheckBox,
    GroupBox,
    Edit,
    Link,
    DefaultButton,
    DriveList,   // a drop-down list with icons; the height is that of its closed box
    FolderList,  // a one-column list with icons and indentation
};

struct FontSpec {
    const wchar_t* face = nullptr;  // nullptr: the window's default face
    int pointSize100 = 0;           // hundredths of a point; 0: the default size
    int weight = FW_NORMAL;
    bool underline = false;
    BYTE charset = DEFAULT_CHARSET;
};

struct ControlRow {
    const wchar_t* name;
    int index;  // position in a control array, -1 for a single control
    Kind kind;
    const wchar_t* caption;
    const wchar_t* frame;  // the frame whose client area the position is in; nullptr: the window
    int left, top, width, height;  // pixels at 96 DPI
    int tab;                       // tab order; -1 for controls that take no focus
    const FontSpec* font = nullptr;
};

struct FormSpec {
    const wchar_t* className;
    const wchar_t* caption;
    int clientWidth, clientHeight;  // pixels at 96 DPI
    DWORD style;
    DWORD exStyle;
    UINT classStyle;
    std::span<const ControlRow> controls;
};

// The first control id; row i of a table has id kFirstControlId + i, clear of
// IDOK and IDCANCEL, which the dialog manager sends for Enter and Esc.
constexpr int kFirstControlId = 100;

// The check-box state for a stored setting: 0 unticked, 1 ticked, 2 greyed.
// Any other number shows greyed: like greyed it counts as on for the
// attributes, and like greyed it is neither 0 nor 1 for the settings that
// only know those two, so saving it back changes nothing for a run.
inline int CheckStateOf(int stored) {
    return stored >= 0 && stored <= 2 ? stored : 2;
}

// The text of a window or of a control.
std::wstring TextOf(HWND hwnd);

// Scales a length at 96 DPI to dpi the way the platform does.
inline int Scale(int value, UINT dpi) {
    return MulDiv(value, static_cast<int>(dpi), 96);
}

class Form {
  public:
    explicit Form(const FormSpec& spec) : spec_(spec) {}
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // The window's handle; 0 when it is not loaded.
    HWND hwnd() const { return hwnd_; }
    bool Loaded() const { return hwnd_ != nullptr; }
    // Creates the window, hidden, and runs its load step; nothing when loaded.
    bool Load(HWND owner = nullptr);
    // Destroys the window; nothing when it is not loaded.
    void Unload();

    HWND Control(std::wstring_view name, int index = -1) const;
    const FormSpec& spec() const { return spec_; }
    UINT dpi() const { return dpi_; }

    // Shows the window and runs a message loop until EndModal, with the owner
    // disabled meanwhile.
    void RunModal(HWND owner = nullptr);
    void EndModal();

    // Places the window in the middle of its monitor's work area.
    void CenterOnScreen();

  protected:
    // The load step: runs after the controls exist, before the window shows.
    virtual void OnLoad() {}
    // A control's WM_COMMAND; row is its index in the table.
    virtual void OnCommand(size_t row, WORD code) {
        (void)row;
        (void)code;
    }
    // A control's WM_NOTIFY.
    virtual LRESULT OnNotify(size_t row, NMHDR* header) {
        (void)row;
        (void)header;
        return 0;
    }
    // Enter and Esc, as the dialog manager reports them.
    virtual void OnDefaultKey() {}
    virtual void OnCancelKey() {}
    // The system's close command (close box, Alt+F4).
    virtual void OnClose() {}
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    size_t RowOf(std::wstring_view name, int index = -1) const;
    // The table row of a control window; nullptr for any other window.
    const ControlRow* RowOfWindow(HWND control) const;

  private:
    static LRESULT CALLBACK Trampoline(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Layout();
    void SizeClientArea();
    HFONT FontFor(const ControlRow& row);

    const FormSpec& spec_;
    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    std::vector<HWND> controls_;  // one per table row
    struct CachedFont {
        LOGFONTW lf;
        HFONT font;
    };
    std::vector<CachedFont> fonts_;
    bool modalDone_ = false;
};

}  // namespace larkspur::ui
