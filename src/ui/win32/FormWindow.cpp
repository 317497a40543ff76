// A form's top-level window: a dialog-like frame whose keyboard handling is the system
// dialog manager's (the window class reserves the dialog's extra bytes and its procedure
// falls back to DefDlgProc).
#include <algorithm>
#include <utility>

#include "base/Errors.h"
#include "ui/win32/NativeWindows.h"

namespace win32ui {

namespace {

#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif

DWORD FormStyle(const ui::Form& form) {
    return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN |
           (form.minimizeBox ? WS_MINIMIZEBOX : 0);
}
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT;

BOOL AdjustForDpi(RECT& r, DWORD style, DWORD exStyle, int dpi) {
    using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const Adjust adjust =
        ProcAddress<Adjust>(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi");
    if (adjust) return adjust(&r, style, FALSE, exStyle, static_cast<UINT>(dpi));
    return AdjustWindowRectEx(&r, style, FALSE, exStyle);
}

} // namespace

int SystemDpi() {
    using Get = UINT(WINAPI*)();
    static const Get get = ProcAddress<Get>(GetModuleHandleW(L"user32.dll"), "GetDpiForSystem");
    if (get) return static_cast<int>(get());
    const int dpi = GetDeviceCaps(WindowDC(nullptr).get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

int WindowDpi(HWND hwnd) {
    using Get = UINT(WINAPI*)(HWND);
    static const Get get = ProcAddress<Get>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
    if (get && hwnd)
        if (const UINT dpi = get(hwnd)) return static_cast<int>(dpi);
    return SystemDpi();
}

FormWindow::FormWindow(ui::Form& f) : form(f) {}

FormWindow::~FormWindow() {
    const HWND window = hwnd;
    WindowGone();
    if (window && IsWindow(window)) DestroyWindow(window);
}

void FormWindow::WindowGone() {
    if (!hwnd) return;
    name_.reset();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    Unregister(hwnd);
    hwnd = nullptr;
}

void FormWindow::FitToClient() {
    const SIZE size = WindowSizeForClient();
    SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE FormWindow::WindowSizeForClient() const {
    const ui::Rect& b = form.Bounds();
    RECT r{0, 0, Scale(b.width), Scale(b.height)};
    AdjustForDpi(r, FormStyle(form), kFormExStyle, dpi);
    return {r.right - r.left, r.bottom - r.top};
}

void FormWindow::Create(HWND owner) {
    dpi = SystemDpi();
    const SIZE size = WindowSizeForClient();
    // The window procedure knows this object from WM_NCCREATE on; `hwnd` is set there too.
    hwnd = CreateWindowExW(kFormExStyle, kFormClass, Wide(form.Caption()), FormStyle(form),
                           CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, owner, nullptr,
                           GetModuleHandleW(nullptr), this);
    if (!hwnd) {
        const DWORD code = GetLastError();
        throw EOSError(u"Cannot create the window " + form.Name(), code);
    }
    Register(hwnd, this);
    name_ = std::make_unique<WindowName>(hwnd, form.Name());
    if (const int actual = WindowDpi(hwnd); actual != dpi) {
        dpi = actual;
        FitToClient();
    }
    EnableWindow(hwnd, form.Enabled());
}

HFONT FormWindow::FontOf(const ui::Control& control) {
    const ui::Font& own = control.GetFont();
    const ui::Font& base = form.GetFont();
    const String face = !own.face.empty() ? own.face : !base.face.empty() ? base.face : u"Tahoma";
    const int height = Scale(own.height > 0 ? own.height : base.height > 0 ? base.height : 11);
    FontKey key{face, height, own.bold, own.underline};
    auto found = fonts_.find(key);
    if (found != fonts_.end()) return static_cast<HFONT>(found->second.get());
    LOGFONTW lf{};
    lf.lfHeight = -height; // the character height in pixels
    lf.lfWeight = own.bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = own.underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    const size_t n = std::min(face.size(), static_cast<size_t>(LF_FACESIZE - 1));
    std::copy(face.begin(), face.begin() + static_cast<std::ptrdiff_t>(n), lf.lfFaceName);
    HFONT font = CreateFontIndirectW(&lf);
    if (!font)
        font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    else
        fonts_.emplace(key, GdiObject(font));
    return font;
}

void FormWindow::Center() {
    RECT window;
    GetWindowRect(hwnd, &window);
    const int width = window.right - window.left, height = window.bottom - window.top;
    const HWND owner = GetWindow(hwnd, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner ? owner : hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT area = monitor.rcWork;
    if (form.position == ui::FormPosition::OwnerCenter && owner && IsWindowVisible(owner) &&
        !IsIconic(owner))
        GetWindowRect(owner, &area);
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    // Never off the screen, even beside an owner near its edge.
    x = std::max<int>(monitor.rcWork.left, std::min<int>(x, monitor.rcWork.right - width));
    y = std::max<int>(monitor.rcWork.top, std::min<int>(y, monitor.rcWork.bottom - height));
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND FormWindow::ModelFocusWindow() const {
    if (ui::Control* focused = form.FocusedControl())
        if (auto* native = dynamic_cast<NativeControl*>(focused->GetPeer()))
            if (native->hwnd && IsWindowVisible(native->hwnd) && IsWindowEnabled(native->hwnd))
                return native->hwnd;
    return nullptr;
}

bool FormWindow::ModelFocusDiffersFrom(HWND focus) const {
    const HWND wanted = ModelFocusWindow();
    return wanted && wanted != focus;
}

void FormWindow::RestoreFocus() {
    HWND target = ModelFocusWindow();
    if (!target) target = GetNextDlgTabItem(hwnd, nullptr, FALSE);
    if (target) SendMessageW(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
}

void FormWindow::Changed(ui::Change what) {
    if (!hwnd) return;
    switch (what) {
    case ui::Change::Text:
        SetWindowTextW(hwnd, Wide(form.Caption()));
        break;
    case ui::Change::Enabled:
        EnableWindow(hwnd, form.Enabled());
        break;
    case ui::Change::Visible: {
        const bool visible = form.Visible();
        if (visible == (IsWindowVisible(hwnd) != FALSE)) break;
        if (visible) {
            if (whenShown_) std::exchange(whenShown_, nullptr)();
            Center();
            ShowWindow(hwnd, SW_SHOW);
            RestoreFocus();
        } else {
            ShowWindow(hwnd, SW_HIDE);
        }
        break;
    }
    case ui::Change::Font:
        for (NativeControl* c : controls)
            c->Changed(ui::Change::Font);
        break;
    case ui::Change::Bounds:
        FitToClient();
        break;
    default:
        break;
    }
}

void FormWindow::Rescale(int newDpi, const RECT* suggested) {
    dpi = newDpi;
    auto previous = std::move(fonts_); // in use until every control has its new font
    fonts_.clear();
    for (NativeControl* c : controls)
        c->Changed(ui::Change::Font);
    if (suggested) {
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        FitToClient();
    }
}

bool FormWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_CLOSE: {
        // The close box asks the model, whose close handler decides (hide, free or nothing).
        result = 0;
        form.Close();
        return true;
    }
    case WM_ACTIVATE: {
        const HWND self = hwnd;
        // The model's focus wins over the one saved at deactivation: the program may have
        // moved it while another window was active (e.g. back to the address after a message).
        ui::Form& model = form;
        ui::Control* wanted = model.FocusedControl();
        result = DefDlgProcW(self, msg, wParam, lParam); // restores the focus it saved
        if (LOWORD(wParam) == WA_INACTIVE) return true;
        const HWND focus = GetFocus();
        if (FormWindow* again = FormOf(self)) {
            if (wanted && wanted != model.FocusedControl()) model.FocusChanged(wanted);
            if (!focus || !IsChild(self, focus) || again->ModelFocusDiffersFrom(focus))
                again->RestoreFocus();
        }
        return true;
    }
    case WM_CTLCOLORDLG:
        result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        return true;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        // A theme turned on or off: the colours the controls took from it are asked again.
        if (msg == WM_SYSCOLORCHANGE || wParam == SPI_SETHIGHCONTRAST)
            RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return false;
    case WM_DPICHANGED:
        Rescale(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        result = 0;
        return true;
    case WM_NCDESTROY:
        WindowGone();
        return false;
    default:
        return OnChildNotification(msg, wParam, lParam, result);
    }
}

} // namespace win32ui
