// Creating windows and their controls from tables.
//
// Platform notes:
// - Child windows are linked at the bottom of the z-order as they are
//   created, and the dialog manager's Tab key walks the z-order, so the
//   controls are created in tab order. Frames are moved to the bottom
//   afterwards: a heading check box that lies over a frame's caption must
//   paint above it, and a frame takes no focus, so the tab order stays. Group
//   boxes are clipped by their siblings, or they would paint over them.
// - Frames are plain group boxes, not containers: a control "in" a frame is a
//   child of the window placed at the frame's position plus its own.
// - Fonts are chosen so that every caption fits its control, whatever face
//   the machine gives: when the wanted font's cell is taller than the
//   control (12-pixel labels with a 9-point system font, say), the same face
//   is used at the control's height, and when the caption is wider (a
//   substitute face with wider glyphs), at the size that makes it fit.
// - Links are owner-drawn buttons: they take the focus with Tab and report
//   a click or Space as BN_CLICKED, and the window draws them as blue
//   underlined text (in a high-contrast theme, in the system's link colour)
//   with a focus rectangle when focused, and gives them the hand cursor.
//   Enter reaches the window as IDOK from the dialog manager, but on a push
//   button, which reports its own click: a row says what Enter on its
//   control does, and elsewhere it presses the default button.
#include "ui/form.h"

#include <commctrl.h>

#include <algorithm>
#include <numeric>

#include "resource.h"

namespace larkspur::ui {

namespace {

struct KindClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

KindClass ClassOf(Kind kind) {
    switch (kind) {
        case Kind::Label:
        case Kind::Name:
            return {WC_STATICW, SS_LEFT | SS_NOPREFIX, 0};
        case Kind::Button:
            return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0};
        case Kind::CheckBox:
            return {WC_BUTTONW, BS_3STATE | WS_TABSTOP, 0};
        case Kind::GroupBox:
            // Clipped by its siblings, or it paints over a heading check box.
            return {WC_BUTTONW, BS_GROUPBOX | WS_CLIPSIBLINGS, 0};
        case Kind::Edit:
            return {WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case Kind::Link:
            return {WC_BUTTONW, BS_OWNERDRAW | WS_TABSTOP, 0};
        case Kind::DefaultButton:
            return {WC_BUTTONW, BS_DEFPUSHBUTTON | WS_TABSTOP, 0};
        case Kind::DriveList:
            return {WC_COMBOBOXEXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
        case Kind::FolderList:
            return {WC_LISTVIEWW,
                    LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                        LVS_SHAREIMAGELISTS | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
    }
    return {WC_STATICW, 0, 0};
}

void RegisterFormClass(const FormSpec& spec, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(instance, spec.className, &wc)) {
        return;
    }
    wc.cbSize = sizeof wc;
    wc.style = spec.classStyle;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = spec.className;
    RegisterClassExW(&wc);
}

}  // namespace

std::wstring TextOf(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool Form::Load(HWND owner) {
    if (hwnd_) {
        return true;
    }
    RegisterFormClass(spec_, &Form::Trampoline);
    // Created at the default position with a provisional size; the real size
    // follows from the DPI of the monitor the window lands on.
    CreateWindowExW(spec_.exStyle, spec_.className, spec_.caption, spec_.style, CW_USEDEFAULT,
                    CW_USEDEFAULT, spec_.clientWidth, spec_.clientHeight, owner, nullptr,
                    GetModuleHandleW(nullptr), this);
    if (!hwnd_) {
        return false;
    }
    dpi_ = GetDpiForWindow(hwnd_);
    if (dpi_ == 0) {
        dpi_ = 96;
    }
    SizeClientArea();
    CreateControls();
    Layout();
    OnLoad();
    return true;
}

void Form::Unload() {
    if (hwnd_) {
        DestroyWindow(hwnd_);  // WM_NCDESTROY clears hwnd_
    }
    controls_.clear();
}

int Form::RowOf(HWND control) const {
    for (size_t i = 0; i < controls_.size(); ++i) {
        if (control && controls_[i] == control) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool Form::IsLink(HWND control) const {
    const int row = RowOf(control);
    return row >= 0 && RowAt(row).kind == Kind::Link;
}

HWND Form::Control(int row) const {
    return row >= 0 && static_cast<size_t>(row) < controls_.size() ? controls_[row] : nullptr;
}

int Form::Check(int row) const {
    return static_cast<int>(SendMessageW(Control(row), BM_GETCHECK, 0, 0));
}

void Form::SetCheck(int row, int state) {
    SendMessageW(Control(row), BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void Form::Enable(std::span<const int> rows, bool on) {
    for (const int row : rows) {
        EnableWindow(Control(row), on);
    }
}

void Form::CreateControls() {
    controls_.assign(spec_.controls.size(), nullptr);
    std::vector<size_t> order(spec_.controls.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return spec_.controls[a].tab < spec_.controls[b].tab;
    });
    for (size_t i : order) {
        const ControlRow& row = spec_.controls[i];
        const KindClass kind = ClassOf(row.kind);
        controls_[i] = CreateWindowExW(
            kind.exStyle, kind.className, row.caption ? row.caption : L"",
            WS_CHILD | (row.kind == Kind::Name ? 0 : WS_VISIBLE) | kind.style, 0, 0, 0, 0, hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)),
            GetModuleHandleW(nullptr), nullptr);
    }
    // Last row first, so a frame listed after the frame that holds it stays
    // above it.
    for (size_t i = controls_.size(); i-- > 0;) {
        if (spec_.controls[i].kind == Kind::GroupBox) {
            SetWindowPos(controls_[i], HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
}

HFONT Form::FontFor(const ControlRow& row) {
    const LOGFONTW wanted = WantedFont(row.font, dpi_);
    // The room a caption has: all of a label or a link, a check box less
    // its square and the gap after it, a button less its edges.
    int margin = 0;
    switch (row.kind) {
        case Kind::Label:
        case Kind::Link:
            break;
        case Kind::CheckBox:
            margin = 17;
            break;
        case Kind::Button:
        case Kind::DefaultButton:
            margin = 6;
            break;
        default:
            return fonts_.Get(wanted);  // no caption of its own to fit
    }
    std::wstring caption = row.caption ? row.caption : L"";
    std::erase(caption, L'&');  // an access key's mark is not drawn
    return fonts_.Fitting(wanted, caption.c_str(), Scale(row.width - margin, dpi_),
                          Scale(row.height, dpi_));
}

void Form::Layout() {
    for (size_t i = 0; i < controls_.size(); ++i) {
        const ControlRow& row = spec_.controls[i];
        int left = row.left, top = row.top;
        for (int frame = row.frame; frame != kNoFrame;) {
            const ControlRow& outer = spec_.controls[static_cast<size_t>(frame)];
            left += outer.left;
            top += outer.top;
            frame = outer.frame;
        }
        // A drop-down list's window height is that of its box and its open
        // list together; the box takes the height its font and icons need.
        const int height = Scale(row.height, dpi_) * (row.kind == Kind::DriveList ? 12 : 1);
        SetWindowPos(controls_[i], nullptr, Scale(left, dpi_), Scale(top, dpi_),
                     Scale(row.width, dpi_), height, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(row)), FALSE);
    }
}

void Form::SizeClientArea() {
    const int width = Scale(spec_.clientWidth, dpi_), height = Scale(spec_.clientHeight, dpi_);
    RECT rc{0, 0, width, height};
    AdjustWindowRectExForDpi(&rc, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)), dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame the window really has can differ from the computed one (Wine
    // keeps one caption height for every DPI): make up what the client lacks.
    RECT client, window;
    GetClientRect(hwnd_, &client);
    if (client.right != width || client.bottom != height) {
        GetWindowRect(hwnd_, &window);
        SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left + width - client.right,
                     window.bottom - window.top + height - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Form::DrawLink(const DRAWITEMSTRUCT& item) {
    const std::wstring text = TextOf(item.hwndItem);
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    const win32::Selection font(
        item.hDC, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    HIGHCONTRASTW contrast{sizeof contrast, 0, nullptr};
    const bool high = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
                      (contrast.dwFlags & HCF_HIGHCONTRASTON);
    SetTextColor(item.hDC, high ? GetSysColor(COLOR_HOTLIGHT) : RGB(0, 0, 255));
    SetBkMode(item.hDC, TRANSPARENT);
    RECT box = item.rcItem;
    constexpr UINT kFormat = DT_LEFT | DT_SINGLELINE | DT_NOPREFIX;
    DrawTextW(item.hDC, text.c_str(), -1, &box, kFormat);
    if (item.itemState & ODS_FOCUS) {
        DrawTextW(item.hDC, text.c_str(), -1, &box, kFormat | DT_CALCRECT);
        box.right = std::min(box.right, item.rcItem.right);
        DrawFocusRect(item.hDC, &box);
    }
}

void Form::CenterIn(const RECT& area) {
    RECT window;
    GetWindowRect(hwnd_, &window);
    SetWindowPos(hwnd_, nullptr, (area.left + area.right - (window.right - window.left)) / 2,
                 (area.top + area.bottom - (window.bottom - window.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::CenterOnScreen() {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    CenterIn(monitor.rcWork);
}

void Form::RunModal(HWND owner) {
    if (!hwnd_) {
        return;
    }
    const bool disableOwner = owner && IsWindowEnabled(owner);
    if (disableOwner) {
        EnableWindow(owner, FALSE);
    }
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    // A plain window keeps the focus itself; a form starts on its first
    // control in tab order, as a dialog does.
    HWND focus = GetFocus();
    if (focus == hwnd_ || !IsChild(hwnd_, focus)) {
        if (HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE)) {
            SetFocus(first);
        }
    }
    modalDone_ = false;
    MSG msg;
    while (!modalDone_ && hwnd_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
            }
            break;
        }
        if (!hwnd_ || !IsDialogMessageW(hwnd_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (disableOwner) {
        EnableWindow(owner, TRUE);
    }
}

void Form::EndModal() {
    modalDone_ = true;
    if (hwnd_) {
        PostMessageW(hwnd_, WM_NULL, 0, 0);  // wakes the loop
    }
}

bool Form::Used(int row, WORD code) {
    if (RowAt(row).kind == Kind::DriveList) {
        // Arrow keys in the open list move the selection; it counts once the
        // list closes.
        const bool dropped = SendMessageW(Control(row), CB_GETDROPPEDSTATE, 0, 0) != 0;
        return (code == CBN_SELCHANGE && !dropped) || code == CBN_CLOSEUP;
    }
    if (RowAt(row).kind == Kind::CheckBox && code == BN_CLICKED) {
        SetCheck(row, Check(row) == 0 ? BST_CHECKED : BST_UNCHECKED);
    }
    return code == BN_CLICKED;
}

void Form::OnEnterKey() {
    const int focused = RowOf(GetFocus());
    Handler enter = focused >= 0 ? RowAt(focused).onEnter : nullptr;
    for (const ControlRow& row : spec_.controls) {
        if (!enter && row.kind == Kind::DefaultButton) {
            enter = row.onUse;
        }
    }
    if (enter) {
        enter(*this);
    }
}

LRESULT Form::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const WORD id = LOWORD(wParam);
            const int row = id - kFirstControlId;
            if (id == IDOK) {
                OnEnterKey();
            } else if (id == IDCANCEL) {
                OnCancelKey();
            } else if (lParam != 0 && Control(row) && Used(row, HIWORD(wParam)) &&
                       RowAt(row).onUse) {
                RowAt(row).onUse(*this);
            }
            return 0;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            const int row = RowOf(header->hwndFrom);
            if (row >= 0 && header->code == LVN_ITEMACTIVATE && RowAt(row).onUse) {
                RowAt(row).onUse(*this);
            }
            return row >= 0 ? 0 : DefWindowProcW(hwnd_, message, wParam, lParam);
        }
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (!IsLink(item->hwndItem)) {
                return DefWindowProcW(hwnd_, message, wParam, lParam);
            }
            DrawLink(*item);
            return TRUE;
        }
        case WM_SETCURSOR: {
            if (IsLink(reinterpret_cast<HWND>(wParam)) && LOWORD(lParam) == HTCLIENT) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            return DefWindowProcW(hwnd_, message, wParam, lParam);
        }
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            SizeClientArea();
            Layout();
            return 0;
        }
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

LRESULT CALLBACK Form::Trampoline(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Form* form;
    if (message == WM_NCCREATE) {
        form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    } else {
        form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!form) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->hwnd_ = nullptr;
        form->modalDone_ = true;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return form->WindowProc(message, wParam, lParam);
}

}  // namespace larkspur::ui
