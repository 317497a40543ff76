// What every control's native window shares: making it from the model, keeping the shared
// properties in step, focus and cursor, and making the right peer for each kind of control.
#include <typeindex>
#include <unordered_map>
#include <utility>

#include "base/Errors.h"
#include "ui/win32/NativeWindows.h"
#include "ui/win32/Peers.h"

namespace win32ui {

namespace {

constexpr UINT_PTR kSubclassId = 1;

LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR self) {
    LRESULT result = 0;
    auto* control = reinterpret_cast<NativeControl*>(self);
    if (HandleGuarded([&](LRESULT& r) { return control->OnMessage(msg, wParam, lParam, r); },
                      result))
        return result;
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

} // namespace

std::unique_ptr<NativeControl> MakePeer(FormWindow& form, ui::Control& control) {
    // Keyed by the model's exact type: every control class of the model is a leaf.
    static const std::unordered_map<std::type_index, PeerMaker> makers{
        {typeid(ui::Button), MakeButtonPeer},        {typeid(ui::RadioButton), MakeRadioPeer},
        {typeid(ui::GroupBox), MakeGroupPeer},       {typeid(ui::Label), MakeLabelPeer},
        {typeid(ui::MaskEdit), MakeMaskEditPeer},    {typeid(ui::Memo), MakeMemoPeer},
        {typeid(ui::ComboBox), MakeComboPeer},       {typeid(ui::CheckListBox), MakeCheckListPeer},
        {typeid(ui::ProgressBar), MakeProgressPeer}, {typeid(ui::StatusBar), MakeStatusPeer},
        {typeid(ui::Image), MakeImagePeer},          {typeid(ui::PageControl), MakePagesPeer},
        {typeid(ui::TabSheet), MakeSheetPeer},
    };
    const auto found = makers.find(typeid(control));
    // Anything else holds other controls: a panel or a plain container.
    return found != makers.end() ? found->second(form, control) : MakePanelPeer(form, control);
}

WindowName::WindowName(HWND hwnd, const String& name)
    : hwnd_(hwnd), atom_(GlobalAddAtomW(Wide(name))) {
    if (atom_) SetPropW(hwnd_, L"WizName", reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(atom_)));
}

WindowName::~WindowName() {
    if (IsWindow(hwnd_)) RemovePropW(hwnd_, L"WizName");
    if (atom_) GlobalDeleteAtom(atom_);
}

// ------------------------------------------------------------------------------------------

NativeControl::NativeControl(FormWindow& owner, ui::Control& c) : control(c), form(owner) {}

NativeControl::~NativeControl() {
    WindowGone();
}

void NativeControl::WindowGone() {
    if (!hwnd) return;
    name_.reset();
    if (subclassed_)
        RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
    else
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    subclassed_ = false;
    Unregister(hwnd);
    hwnd = nullptr;
}

void NativeControl::Create(HWND parent, int id) {
    WindowSpec spec = Spec(parent);
    spec.style |= WS_CHILD | WS_CLIPSIBLINGS;
    if (control.TabStop()) spec.style |= WS_TABSTOP;

    const bool ownClass = spec.windowClass == kContainerClass || spec.windowClass == kImageClass;
    // Made at the model's place and size: a window grown from nothing lays itself out again.
    const RECT r = ScaledBounds(control.Bounds());
    hwnd = CreateWindowExW(spec.exStyle, spec.windowClass, L"", spec.style, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), ownClass ? this : nullptr);
    if (!hwnd) {
        const DWORD code = GetLastError();
        throw EOSError(u"Cannot create the window of " + control.Name(), code);
    }
    Register(hwnd, this);
    if (!ownClass)
        subclassed_ =
            SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    name_ = std::make_unique<WindowName>(hwnd, control.Name());
    Created();
    ApplyAll();
}

void NativeControl::ApplyAll() {
    using C = ui::Change;
    applyingAll_ = true;
    for (C what : {C::Font, C::Text, C::Items, C::Marks, C::Panels, C::Lines, C::Range, C::Checked,
                   C::Picture, C::Enabled, C::Bounds, C::Visible})
        Changed(what);
    applyingAll_ = false;
}

void NativeControl::Changed(ui::Change what) {
    if (what == ui::Change::Visible && whenShown_ && control.Visible())
        std::exchange(whenShown_, nullptr)();
    if (!hwnd) return;
    switch (what) {
    case ui::Change::Text:
        ApplyText();
        break;
    case ui::Change::Enabled:
        ApplyEnabled();
        break;
    case ui::Change::Visible:
        ApplyVisible();
        break;
    case ui::Change::Font:
        ApplyFont();
        // A new window gets its bounds after all the rest and has not been drawn yet.
        if (applyingAll_) break;
        ApplyBounds();
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case ui::Change::Focus: {
        const HWND root = GetAncestor(hwnd, GA_ROOT);
        if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) && GetActiveWindow() == root)
            SendMessageW(root, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hwnd), TRUE);
        break;
    }
    case ui::Change::Bounds:
        ApplyBounds();
        break;
    case ui::Change::Cursor:     // asked for by WM_SETCURSOR
    case ui::Change::ActivePage: // the pages show and hide themselves
        break;
    default:
        Apply(what);
        break;
    }
}

void NativeControl::ApplyText() {
    SetWindowTextW(hwnd, Wide(control.Caption()));
}

void NativeControl::MoveFocusAway() {
    // A hidden or disabled window cannot keep the focus; hand it on as Tab would.
    const HWND focus = GetFocus();
    if (!focus || (focus != hwnd && !IsChild(hwnd, focus))) return;
    const HWND root = GetAncestor(hwnd, GA_ROOT);
    HWND next = GetNextDlgTabItem(root, focus, FALSE);
    for (int guard = 0; next && (next == hwnd || IsChild(hwnd, next)) && guard < 256; ++guard)
        next = GetNextDlgTabItem(root, next, FALSE);
    SetFocus(next && next != focus && next != hwnd && !IsChild(hwnd, next) ? next : root);
}

void NativeControl::ApplyVisible() {
    const bool visible = control.Visible();
    if (!visible) MoveFocusAway();
    ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

void NativeControl::ApplyEnabled() {
    const bool enabled = control.Enabled();
    if (!enabled) MoveFocusAway();
    EnableWindow(hwnd, enabled);
}

void NativeControl::ApplyFont() {
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(form.FontOf(control)),
                 applyingAll_ ? FALSE : TRUE);
}

RECT NativeControl::ScaledBounds(const ui::Rect& b) const {
    // Scaling the edges keeps neighbours touching where they touched at 96 DPI.
    return RECT{form.Scale(b.left), form.Scale(b.top), form.Scale(b.left + b.width),
                form.Scale(b.top + b.height)};
}

RECT NativeControl::TargetRect() {
    return ScaledBounds(control.Bounds());
}

void NativeControl::ApplyBounds() {
    const RECT r = TargetRect();
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool NativeControl::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_SETFOCUS:
        if (ui::Form* owner = control.OwnerForm()) owner->FocusChanged(&control);
        break;
    case WM_SETCURSOR:
        if (control.GetCursor() == ui::Cursor::HandPoint && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            result = TRUE;
            return true;
        }
        break;
    case WM_GETOBJECT:
        // Only the client object is ours; the window's frame stays the system's.
        if (static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT) {
            result = AnswerGetObject(*this, wParam);
            if (result) return true;
        }
        break;
    case WM_NCDESTROY:
        WindowGone();
        return false;
    default:
        break;
    }
    return OnOwnMessage(msg, wParam, lParam, result);
}

HBRUSH NativeControl::OnColor(HDC dc) {
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, TextColorOf(control, COLOR_WINDOWTEXT));
    return GetSysColorBrush(COLOR_BTNFACE);
}

COLORREF TextColorOf(const ui::Control& control, int systemColor) {
    const ui::Font& font = control.GetFont();
    if (!font.color) return GetSysColor(systemColor);
    if (!HighContrast()) return ToColorRef(font.color);
    // A red heading reads as an error and a fixed blue may vanish on a dark theme.
    const bool link = font.underline && control.GetCursor() == ui::Cursor::HandPoint;
    return GetSysColor(link ? COLOR_HOTLIGHT : systemColor);
}

} // namespace win32ui
