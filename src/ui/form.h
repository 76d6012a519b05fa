// Windows described as tables of their controls.
//
// Each window of the program is a FormSpec: its caption, its client size and
// a table of ControlRow, one per control (kind, caption, frame, position and
// size at 96 DPI, tab order). Each window has an enum that names its rows in
// table order; IndexesRows checks the table against it at compile time.
// Form creates the window and one control per row, scales every position
// with the window's DPI and follows DPI changes, so a window reads like its
// description and a layout test can compare the real window with the table.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "ui/fonts.h"

namespace larkspur::ui {

// Link: text in the link style (blue, underlined, hand cursor) that takes
// the focus and reports clicks. DefaultButton: the push button Enter
// presses, drawn as such. A screen reader names an edit, list or drop-down
// by the label created right before it, so each has one, a Name where none
// is shown.
enum class Kind {
    Label,
    Name,  // a label that is not shown: what a screen reader calls the next control
    Button,
    CheckBox,
    GroupBox,
    Edit,
    Link,
    DefaultButton,
    DriveList,   // a drop-down list with icons; the height is that of its closed box
    FolderList,  // a one-column list with icons and indentation
};

class Form;

// What using a control does: a method of its window, named in the control's
// row as On<&Window::Method>.
using Handler = void (*)(Form& form);
template <class Window>
Window WindowOf(void (Window::*)());  // the class of a method, for decltype
template <auto method>
void On(Form& form) {
    (static_cast<decltype(WindowOf(method))&>(form).*method)();
}

// No frame: the position is in the window's client area.
constexpr int kNoFrame = -1;

struct ControlRow {
    int id;  // the row's place in the table, named by the window's enum
    Kind kind;
    const wchar_t* caption;
    int frame;                     // the row of the frame the position is in, or kNoFrame
    int left, top, width, height;  // pixels at 96 DPI
    int tab;                       // creation and tab order
    Handler onUse = nullptr;    // pressed; a drive list: a drive chosen; a folder list: activated
    Handler onEnter = nullptr;  // Enter on it; elsewhere Enter presses the default button
    const FontSpec* font = nullptr;
};

// Whether a table has exactly count rows, each at the place its id names.
template <size_t N>
constexpr bool IndexesRows(const ControlRow (&rows)[N], int count) {
    if (static_cast<int>(N) != count) {
        return false;
    }
    for (size_t i = 0; i < N; ++i) {
        if (rows[i].id != static_cast<int>(i)) {
            return false;
        }
    }
    return true;
}

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
    virtual ~Form() { Unload(); }
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND hwnd() const { return hwnd_; }  // 0 when it is not loaded
    // Creates the window, hidden, and runs its load step; nothing when loaded.
    bool Load(HWND owner = nullptr);
    // Destroys the window; nothing when it is not loaded.
    void Unload();

    HWND Control(int row) const;
    const FormSpec& spec() const { return spec_; }
    UINT dpi() const { return dpi_; }

    // A check box's state: 0 unticked, 1 ticked, 2 greyed. The boxes are
    // three-state boxes the form sets itself, so the control never changes a
    // state by itself: a click turns a box off when it is on (ticked or
    // greyed) and on when it is off; greyed comes only from SetCheck.
    int Check(int row) const;
    void SetCheck(int row, int state);
    void Enable(std::span<const int> rows, bool on);

    // Shows the window and runs a message loop until EndModal, with the owner
    // disabled meanwhile.
    void RunModal(HWND owner = nullptr);
    void EndModal();

    // Places the window in the middle of area, or of its monitor's work area.
    void CenterIn(const RECT& area);
    void CenterOnScreen();

  protected:
    // The load step: runs after the controls exist, before the window shows.
    virtual void OnLoad() {}
    // Esc, as the dialog manager reports it.
    virtual void OnCancelKey() {}
    // The system's close command (close box, Alt+F4).
    virtual void OnClose() {}
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK Trampoline(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Layout();
    void SizeClientArea();
    HFONT FontFor(const ControlRow& row);
    // Whether a notification is its control's use; a box takes its new state.
    bool Used(int row, WORD code);
    void OnEnterKey();
    void DrawLink(const DRAWITEMSTRUCT& item);
    // The row of a control window, or -1.
    int RowOf(HWND control) const;
    const ControlRow& RowAt(int row) const { return spec_.controls[static_cast<size_t>(row)]; }
    bool IsLink(HWND control) const;

    const FormSpec& spec_;
    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    std::vector<HWND> controls_;  // one per table row
    FontCache fonts_;
    bool modalDone_ = false;
};

}  // namespace larkspur::ui
