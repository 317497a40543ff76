// One control's native window: created from the model, kept in step with it, and turning
// the user's input into calls on it (through DispatchEvent, which reports handler errors).
#include <windowsx.h>

#include <algorithm>

#include "base/Errors.h"
#include "ui/Dispatch.h"
#include "ui/win32/NativeWindows.h"

namespace win32ui {

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr int kSheetInset = 4;        // the page area inside a page control's frame
constexpr int kComboListHeight = 160; // the drop-down list below a combo box's field
constexpr int kCheckArea = 19;        // a check list item's box area, from its left edge
constexpr int kCheckBoxSide = 13;
constexpr int kGlyphSide = 16;

COLORREF ToColorRef(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

std::uint32_t FaceColor() {
    const COLORREF c = GetSysColor(COLOR_BTNFACE);
    return static_cast<std::uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR self) {
    LRESULT result = 0;
    if (reinterpret_cast<NativeControl*>(self)->OnMessage(msg, wParam, lParam, result))
        return result;
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

String ClipboardText(HWND owner) {
    String text;
    if (!OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const char16_t*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// The selection of an edit control as [start, end).
std::pair<int, int> Selection(HWND edit) {
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

} // namespace

Kind KindOf(const ui::Control& c) {
    if (dynamic_cast<const ui::RadioButton*>(&c)) return Kind::Radio;
    if (dynamic_cast<const ui::Button*>(&c)) return Kind::Button;
    if (dynamic_cast<const ui::Label*>(&c)) return Kind::Label;
    if (dynamic_cast<const ui::GroupBox*>(&c)) return Kind::Group;
    if (dynamic_cast<const ui::ComboBox*>(&c)) return Kind::Combo;
    if (dynamic_cast<const ui::CheckListBox*>(&c)) return Kind::CheckList;
    if (dynamic_cast<const ui::MaskEdit*>(&c)) return Kind::MaskEdit;
    if (dynamic_cast<const ui::Memo*>(&c)) return Kind::Memo;
    if (dynamic_cast<const ui::ProgressBar*>(&c)) return Kind::Progress;
    if (dynamic_cast<const ui::StatusBar*>(&c)) return Kind::Status;
    if (dynamic_cast<const ui::Image*>(&c)) return Kind::Image;
    if (dynamic_cast<const ui::PageControl*>(&c)) return Kind::Pages;
    if (dynamic_cast<const ui::TabSheet*>(&c)) return Kind::Sheet;
    return Kind::Panel; // a plain container
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

NativeControl::NativeControl(FormWindow& owner, ui::Control& c, Kind k)
    : control(c), form(owner), kind(k) {}

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
    const wchar_t* windowClass = kContainerClass;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS, exStyle = 0;
    switch (kind) {
    case Kind::Button:
        windowClass = WC_BUTTONW;
        style |= WS_TABSTOP |
                 (static_cast<ui::Button&>(control).isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        break;
    case Kind::Radio: {
        windowClass = WC_BUTTONW;
        style |= BS_RADIOBUTTON;
        // A run of radio buttons of one group is one dialog group: arrows move within it.
        const auto& group = static_cast<ui::RadioButton&>(control).Group();
        HWND first = GetWindow(parent, GW_CHILD);
        HWND previous = first ? GetWindow(first, GW_HWNDLAST) : nullptr;
        NativeControl* before = previous ? ControlOf(previous) : nullptr;
        if (!before || before->kind != Kind::Radio ||
            &static_cast<ui::RadioButton&>(before->control).Group() != &group)
            style |= WS_GROUP;
        break;
    }
    case Kind::Label: {
        windowClass = WC_STATICW;
        const auto& label = static_cast<ui::Label&>(control);
        style |= SS_NOTIFY | SS_NOPREFIX;
        if (label.alignment == ui::Alignment::Center)
            style |= SS_CENTER;
        else if (label.alignment == ui::Alignment::Right)
            style |= SS_RIGHT;
        else
            style |= label.wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP;
        break;
    }
    case Kind::Group:
        windowClass = WC_BUTTONW;
        style |= BS_GROUPBOX | WS_CLIPCHILDREN | WS_GROUP;
        exStyle |= WS_EX_CONTROLPARENT;
        break;
    case Kind::Combo:
        windowClass = WC_COMBOBOXW;
        style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP;
        break;
    case Kind::CheckList:
        windowClass = WC_LISTBOXW;
        style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                 WS_VSCROLL | WS_TABSTOP | WS_GROUP;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
    case Kind::MaskEdit:
        windowClass = WC_EDITW;
        style |= ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
    case Kind::Memo: {
        const auto& memo = static_cast<ui::Memo&>(control);
        windowClass = WC_EDITW;
        // Read-only too, it takes the focus: its lines can be selected and copied.
        style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_GROUP | WS_TABSTOP |
                 (memo.readOnly ? ES_READONLY : 0);
        if (memo.border) exStyle |= WS_EX_CLIENTEDGE;
        break;
    }
    case Kind::Progress:
        windowClass = PROGRESS_CLASSW;
        style |= WS_GROUP;
        break;
    case Kind::Status:
        windowClass = STATUSCLASSNAMEW;
        style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | WS_GROUP;
        break;
    case Kind::Image:
        windowClass = kImageClass;
        style |= WS_GROUP;
        break;
    case Kind::Pages:
    case Kind::Sheet:
    case Kind::Panel:
        style |= WS_CLIPCHILDREN | WS_GROUP;
        exStyle |= WS_EX_CONTROLPARENT;
        break;
    }
    if (control.TabStop()) style |= WS_TABSTOP;

    const bool ownClass = windowClass == kContainerClass || windowClass == kImageClass;
    hwnd = CreateWindowExW(exStyle, windowClass, L"", style, 0, 0, 0, 0, parent,
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
    if (kind == Kind::MaskEdit)
        SendMessageW(hwnd, EM_SETLIMITTEXT,
                     static_cast<WPARAM>(static_cast<ui::MaskEdit&>(control).MaxLength()), 0);
    if (kind == Kind::Memo) SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0); // the log has no limit
    ApplyAll();
}

void NativeControl::ApplyAll() {
    using C = ui::Change;
    for (C what : {C::Font, C::Text, C::Items, C::Marks, C::Panels, C::Lines, C::Range, C::Checked,
                   C::Picture, C::Enabled, C::Bounds, C::Visible})
        Changed(what);
}

void NativeControl::Changed(ui::Change what) {
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
    case ui::Change::Checked:
        if (kind == Kind::Radio) {
            const bool checked = static_cast<ui::RadioButton&>(control).Checked();
            SendMessageW(hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
            // Tab enters a group at its checked button only.
            LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
            style = (checked || control.TabStop()) ? (style | WS_TABSTOP)
                                                   : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
            SetWindowLongPtrW(hwnd, GWL_STYLE, style);
        }
        break;
    case ui::Change::Items:
        ApplyItems();
        break;
    case ui::Change::ItemIndex:
        if (kind == Kind::Combo)
            SendMessageW(hwnd, CB_SETCURSEL,
                         static_cast<WPARAM>(static_cast<ui::ComboBox&>(control).ItemIndex()), 0);
        else if (kind == Kind::CheckList)
            SendMessageW(hwnd, LB_SETCURSEL,
                         static_cast<WPARAM>(static_cast<ui::CheckListBox&>(control).ItemIndex()),
                         0);
        break;
    case ui::Change::Marks:
        ApplyMarks();
        break;
    case ui::Change::Range:
    case ui::Change::Position:
        if (kind == Kind::Progress) {
            const auto& bar = static_cast<ui::ProgressBar&>(control);
            if (what == ui::Change::Range)
                SendMessageW(hwnd, PBM_SETRANGE32, static_cast<WPARAM>(bar.Min()), bar.Max());
            SendMessageW(hwnd, PBM_SETPOS, static_cast<WPARAM>(bar.Position()), 0);
        }
        break;
    case ui::Change::Panels:
        ApplyPanels();
        break;
    case ui::Change::Picture:
        composed_.clear();
        composedSize_ = {0, 0};
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case ui::Change::Font:
        ApplyFont();
        ApplyBounds();
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case ui::Change::Focus: {
        const HWND root = GetAncestor(hwnd, GA_ROOT);
        if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) && GetActiveWindow() == root)
            SendMessageW(root, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hwnd), TRUE);
        break;
    }
    case ui::Change::Lines:
        ApplyLines();
        break;
    case ui::Change::Bounds:
        ApplyBounds();
        break;
    case ui::Change::Cursor:     // asked for by WM_SETCURSOR
    case ui::Change::ActivePage: // the pages show and hide themselves
        break;
    }
}

void NativeControl::ApplyText() {
    switch (kind) {
    case Kind::MaskEdit:
        ApplyMaskText();
        return;
    case Kind::Memo:
    case Kind::Combo:
    case Kind::CheckList:
    case Kind::Progress:
    case Kind::Status:
    case Kind::Image:
        return; // they show their items, lines or pictures
    default:
        SetWindowTextW(hwnd, Wide(control.Caption()));
        if (kind == Kind::Label && static_cast<ui::Label&>(control).autoSize) ApplyBounds();
        if (kind == Kind::Panel) InvalidateRect(hwnd, nullptr, TRUE);
    }
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
    if (kind == Kind::CheckList) InvalidateRect(hwnd, nullptr, TRUE);
}

int NativeControl::CheckAreaWidth() const {
    return form.Scale(kCheckArea);
}

void NativeControl::ApplyFont() {
    HFONT font = form.FontOf(control);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (kind == Kind::Button && static_cast<ui::Button&>(control).cancelGlyph) {
        Icon glyph = MakeCancelGlyph(form.Scale(kGlyphSide));
        SendMessageW(hwnd, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(glyph.get()));
        glyph_ = std::move(glyph); // the button has let go of the old one
    }
    if (kind == Kind::CheckList) {
        int height = static_cast<ui::CheckListBox&>(control).itemHeight;
        if (height > 0) {
            height = form.Scale(height);
        } else {
            TEXTMETRICW tm{};
            HDC dc = GetDC(hwnd);
            HGDIOBJ old = SelectObject(dc, font);
            GetTextMetricsW(dc, &tm);
            SelectObject(dc, old);
            ReleaseDC(hwnd, dc);
            height = tm.tmHeight + form.Scale(2);
        }
        SendMessageW(hwnd, LB_SETITEMHEIGHT, 0, std::max(height, form.Scale(kCheckBoxSide) + 2));
    }
}

SIZE NativeControl::LabelTextSize(int width) {
    // An empty label keeps a line's height.
    const String text = control.Caption().empty() ? String(1, u' ') : control.Caption();
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, form.FontOf(control));
    RECT r{0, 0, width, 0};
    DrawTextW(dc, Wide(text), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (width > 0 ? DT_WORDBREAK : 0));
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return {r.right - r.left, r.bottom - r.top};
}

RECT NativeControl::TargetRect() {
    ui::Rect b = control.Bounds();
    int dx = 0, dy = 0;
    if (kind == Kind::Sheet) {
        // Pages fill the page control's frame; their own origin is inside it.
        dx = dy = kSheetInset;
        if ((b.width <= 0 || b.height <= 0) && control.Parent()) {
            const ui::Rect& pages = control.Parent()->Bounds();
            b = {0, 0, pages.width - 2 * kSheetInset, pages.height - 2 * kSheetInset};
        }
    }
    // Scaling the edges keeps neighbours touching where they touched at 96 DPI.
    RECT r{form.Scale(b.left + dx), form.Scale(b.top + dy), form.Scale(b.left + dx + b.width),
           form.Scale(b.top + dy + b.height)};
    if (kind == Kind::Label && static_cast<ui::Label&>(control).autoSize) {
        const bool wrap = static_cast<ui::Label&>(control).wordWrap;
        const SIZE s = LabelTextSize(wrap ? r.right - r.left : 0);
        if (!wrap) r.right = r.left + s.cx;
        r.bottom = r.top + s.cy;
    }
    if (kind == Kind::Combo) r.bottom += form.Scale(kComboListHeight);
    return r;
}

void NativeControl::ApplyBounds() {
    const RECT r = TargetRect();
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void NativeControl::ApplyItems() {
    if (kind == Kind::Combo) {
        const auto& combo = static_cast<ui::ComboBox&>(control);
        SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
        for (const String& item : combo.Items())
            SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item)));
        SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(combo.ItemIndex()), 0);
    } else if (kind == Kind::CheckList) {
        const auto& list = static_cast<ui::CheckListBox&>(control);
        SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
        SendMessageW(hwnd, LB_RESETCONTENT, 0, 0);
        for (int i = 0; i < list.Count(); ++i) {
            SendMessageW(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(list.Item(i))));
            SendMessageW(hwnd, LB_SETITEMDATA, static_cast<WPARAM>(i), list.Checked(i) ? 1 : 0);
        }
        SendMessageW(hwnd, LB_SETCURSEL, static_cast<WPARAM>(list.ItemIndex()), 0);
        SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

void NativeControl::ApplyMarks() {
    if (kind != Kind::CheckList) return;
    // Each item's mark lives in its item data too, where a test driver reads it.
    const auto& list = static_cast<ui::CheckListBox&>(control);
    for (int i = 0; i < list.Count(); ++i)
        SendMessageW(hwnd, LB_SETITEMDATA, static_cast<WPARAM>(i), list.Checked(i) ? 1 : 0);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void NativeControl::ApplyPanels() {
    if (kind != Kind::Status) return;
    const auto& bar = static_cast<ui::StatusBar&>(control);
    const int count = bar.PanelCount();
    if (count == 0) return;
    // Each panel ends where its width says; the last one runs to the bar's end.
    std::vector<int> edges(static_cast<size_t>(count));
    int x = 0;
    for (int i = 0; i < count; ++i) {
        x += bar.GetPanel(i).width;
        edges[static_cast<size_t>(i)] = i + 1 == count ? -1 : form.Scale(x);
    }
    SendMessageW(hwnd, SB_SETPARTS, static_cast<WPARAM>(count),
                 reinterpret_cast<LPARAM>(edges.data()));
    for (int i = 0; i < count; ++i) {
        const auto& panel = bar.GetPanel(i);
        // The status bar's own convention: one tab centres the text, two align it right.
        String text = panel.alignment == ui::Alignment::Center  ? u"\t"
                      : panel.alignment == ui::Alignment::Right ? u"\t\t"
                                                                : u"";
        text += panel.text;
        SendMessageW(hwnd, SB_SETTEXTW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(Wide(text)));
    }
}

void NativeControl::ApplyLines() {
    if (kind != Kind::Memo) return;
    const StringList& lines = static_cast<ui::Memo&>(control).Lines();
    if (lines.empty() || lines.size() < shownLines_) {
        String all;
        for (size_t i = 0; i < lines.size(); ++i)
            all += (i ? u"\r\n" : u"") + lines[i];
        SetWindowTextW(hwnd, Wide(all));
        shownLines_ = lines.size();
        return;
    }
    // Appending at the end keeps the newest line in view, as a log should.
    String added;
    for (size_t i = shownLines_; i < lines.size(); ++i)
        added += (i ? u"\r\n" : u"") + lines[i];
    const int end = GetWindowTextLengthW(hwnd);
    SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageW(hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Wide(added)));
    shownLines_ = lines.size();
}

void NativeControl::ApplyMaskText() {
    // Unfilled places show as the blank character only while the user edits the field.
    const auto& edit = static_cast<ui::MaskEdit&>(control);
    const String shown = GetFocus() == hwnd ? edit.EditText() : edit.Text();
    const auto [start, end] = Selection(hwnd);
    SetWindowTextW(hwnd, Wide(shown));
    SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(start), end);
}

// ------------------------------------------------------------------------------------------

bool NativeControl::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_SETFOCUS:
        if (ui::Form* owner = control.OwnerForm()) owner->FocusChanged(&control);
        if (kind == Kind::MaskEdit) ApplyMaskText();
        return false;
    case WM_KILLFOCUS:
        if (kind == Kind::MaskEdit) ApplyMaskText();
        return false;
    case WM_SETCURSOR:
        if (control.GetCursor() == ui::Cursor::HandPoint && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            result = TRUE;
            return true;
        }
        return false;
    case WM_NCDESTROY:
        WindowGone();
        return false;
    default:
        break;
    }
    switch (kind) {
    case Kind::MaskEdit:
        return OnMaskEditMessage(msg, wParam, lParam, result);
    case Kind::CheckList:
        return OnCheckListMessage(msg, wParam, lParam, result);
    case Kind::Image:
        switch (msg) {
        case WM_ERASEBKGND:
            result = 1; // painted whole in WM_PAINT
            return true;
        case WM_PAINT:
        case WM_PRINTCLIENT: {
            PAINTSTRUCT ps;
            HDC dc = msg == WM_PAINT ? BeginPaint(hwnd, &ps) : reinterpret_cast<HDC>(wParam);
            PaintImage(dc);
            if (msg == WM_PAINT) EndPaint(hwnd, &ps);
            result = 0;
            return true;
        }
        case WM_LBUTTONDOWN:
            SetCapture(hwnd);
            imagePressed_ = true;
            result = 0;
            return true;
        case WM_LBUTTONUP: {
            const bool pressed = imagePressed_;
            imagePressed_ = false;
            if (GetCapture() == hwnd) ReleaseCapture();
            RECT client;
            GetClientRect(hwnd, &client);
            const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (pressed && PtInRect(&client, at)) {
                ui::Control& c = control;
                ui::DispatchEvent([&c] { c.Click(); });
            }
            result = 0;
            return true;
        }
        case WM_CAPTURECHANGED:
            imagePressed_ = false;
            return false;
        default:
            return false;
        }
    case Kind::Pages:
    case Kind::Sheet:
    case Kind::Panel:
        switch (msg) {
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(hwnd, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
            result = 1;
            return true;
        }
        case WM_PAINT:
        case WM_PRINTCLIENT: {
            PAINTSTRUCT ps;
            HDC dc = msg == WM_PAINT ? BeginPaint(hwnd, &ps) : reinterpret_cast<HDC>(wParam);
            PaintContainer(dc);
            if (msg == WM_PAINT) EndPaint(hwnd, &ps);
            result = 0;
            return true;
        }
        default:
            return OnChildNotification(msg, wParam, lParam, result);
        }
    case Kind::Group:
        if (msg == WM_ERASEBKGND) {
            // A group box paints only its frame; with children inside, the rest is ours.
            RECT client;
            GetClientRect(hwnd, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
            result = 1;
            return true;
        }
        return OnChildNotification(msg, wParam, lParam, result);
    default:
        return false;
    }
}

bool NativeControl::OnMaskEditMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    auto& edit = static_cast<ui::MaskEdit&>(control);
    const HWND self = hwnd;
    // Runs one editing step on the model and puts the caret where it says.
    auto step = [&edit, self](auto operation) {
        int caret = 0;
        ui::DispatchEvent([&] { caret = operation(edit); });
        if (IsWindow(self)) SendMessageW(self, EM_SETSEL, static_cast<WPARAM>(caret), caret);
    };
    switch (msg) {
    case WM_CHAR: {
        const auto ch = static_cast<wchar_t>(wParam);
        if (ch < 0x20 && ch != L'\b') return false; // Ctrl+C, Ctrl+V ... come back as messages
        const auto [start, end] = Selection(self);
        if (ch == L'\b') {
            step([start = start, end = end](ui::MaskEdit& e) {
                return start != end ? e.ClearRange(start, end) : e.Backspace(start);
            });
        } else {
            step([start = start, end = end, ch](ui::MaskEdit& e) {
                if (IsDigit(ch) && start != end) e.ClearRange(start, end);
                return e.TypeChar(start, static_cast<char16_t>(ch));
            });
        }
        result = 0;
        return true;
    }
    case WM_KEYDOWN:
        if (wParam != VK_DELETE) return false;
        if (GetKeyState(VK_SHIFT) < 0) {
            SendMessageW(self, WM_CUT, 0, 0);
        } else {
            const auto [start, end] = Selection(self);
            step([start = start, end = end](ui::MaskEdit& e) {
                return start != end ? e.ClearRange(start, end) : e.Delete(start);
            });
        }
        result = 0;
        return true;
    case WM_PASTE: {
        const String text = ClipboardText(self);
        const auto [start, end] = Selection(self);
        step([start = start, end = end, &text](ui::MaskEdit& e) {
            if (start != end) e.ClearRange(start, end);
            return e.Paste(start, text);
        });
        result = 0;
        return true;
    }
    case WM_CUT:
    case WM_CLEAR: {
        if (msg == WM_CUT) DefSubclassProc(self, WM_COPY, 0, 0);
        const auto [start, end] = Selection(self);
        step([start = start, end = end](ui::MaskEdit& e) { return e.ClearRange(start, end); });
        result = 0;
        return true;
    }
    case WM_UNDO:
    case EM_UNDO:
        result = FALSE; // the edit's own undo would bring back text the mask never had
        return true;
    case WM_GETTEXT: {
        // The field's text reads as the model's: blanks, not the placeholders on screen.
        const String& text = edit.Text();
        const size_t capacity = static_cast<size_t>(wParam);
        if (capacity == 0 || !lParam) {
            result = 0;
            return true;
        }
        const size_t n = std::min(text.size(), capacity - 1);
        auto* out = reinterpret_cast<wchar_t*>(lParam);
        std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), out);
        out[n] = L'\0';
        result = static_cast<LRESULT>(n);
        return true;
    }
    case WM_GETTEXTLENGTH:
        result = static_cast<LRESULT>(edit.Text().size());
        return true;
    default:
        return false;
    }
}

bool NativeControl::OnCheckListMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const HWND self = hwnd;
    auto& list = static_cast<ui::CheckListBox&>(control);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const auto hit = static_cast<DWORD>(SendMessageW(self, LB_ITEMFROMPOINT, 0, lParam));
        pressedItem_ = HIWORD(hit) ? -1 : static_cast<int>(LOWORD(hit));
        RECT item{};
        SendMessageW(self, LB_GETITEMRECT, LOWORD(hit), reinterpret_cast<LPARAM>(&item));
        pressedOnBox_ = GET_X_LPARAM(lParam) < item.left + CheckAreaWidth();
        return false; // the list takes the focus and selects the item itself
    }
    case WM_LBUTTONUP: {
        // A click is a press and release on the same item; it goes to the model then.
        const int pressed = pressedItem_;
        const bool onBox = pressedOnBox_;
        pressedItem_ = -1;
        result = DefSubclassProc(self, msg, wParam, lParam);
        if (pressed < 0 || !IsWindow(self)) return true;
        const auto hit = static_cast<DWORD>(SendMessageW(self, LB_ITEMFROMPOINT, 0, lParam));
        if (!HIWORD(hit) && static_cast<int>(LOWORD(hit)) == pressed)
            ui::DispatchEvent([&list, pressed, onBox] { list.UserClickItem(pressed, onBox); });
        return true;
    }
    case WM_CHAR:
        if (wParam != L' ') return false;
        ui::DispatchEvent([&list] { list.UserToggleCurrent(); });
        result = 0;
        return true;
    default:
        return false;
    }
}

void NativeControl::OnCommand(WORD code) {
    ui::Control& c = control;
    switch (kind) {
    case Kind::Button:
    case Kind::Radio: // the model checks it and unchecks its group
        if (code == BN_CLICKED) ui::DispatchEvent([&c] { c.Click(); });
        break;
    case Kind::Label:
        if (code == STN_CLICKED) ui::DispatchEvent([&c] { c.Click(); });
        break;
    case Kind::Combo:
        if (code == CBN_SELCHANGE) {
            const int index = static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0));
            auto& combo = static_cast<ui::ComboBox&>(c);
            ui::DispatchEvent([&combo, index] { combo.SetItemIndex(index); });
        }
        break;
    case Kind::CheckList:
        if (code == LBN_SELCHANGE) {
            const int index = static_cast<int>(SendMessageW(hwnd, LB_GETCURSEL, 0, 0));
            auto& list = static_cast<ui::CheckListBox&>(c);
            ui::DispatchEvent([&list, index] { list.SetItemIndex(index); });
        }
        break;
    default:
        break;
    }
}

HBRUSH NativeControl::OnColor(HDC dc) {
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    const std::uint32_t color = control.GetFont().color;
    SetTextColor(dc, color ? ToColorRef(color) : GetSysColor(COLOR_WINDOWTEXT));
    return GetSysColorBrush(COLOR_BTNFACE);
}

void NativeControl::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1)) return;
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool marked = SendMessageW(hwnd, LB_GETITEMDATA, item.itemID, 0) != 0;

    const int area = CheckAreaWidth(), side = form.Scale(kCheckBoxSide);
    RECT boxArea{r.left, r.top, std::min<LONG>(r.left + area, r.right), r.bottom};
    FillRect(dc, &boxArea, GetSysColorBrush(COLOR_WINDOW));
    const int top = r.top + (r.bottom - r.top - side) / 2, left = r.left + (area - side) / 2;
    DrawCheckBox(hwnd, dc, RECT{left, top, left + side, top + side}, marked, enabled);

    RECT text{boxArea.right, r.top, r.right, r.bottom};
    FillRect(dc, &text, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const std::uint32_t color = control.GetFont().color;
    SetTextColor(dc, !enabled   ? GetSysColor(COLOR_GRAYTEXT)
                     : selected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                     : color    ? ToColorRef(color)
                                : GetSysColor(COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);
    const auto length = static_cast<int>(SendMessageW(hwnd, LB_GETTEXTLEN, item.itemID, 0));
    String caption(static_cast<size_t>(std::max(length, 0)) + 1, u'\0');
    SendMessageW(hwnd, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(caption.data()));
    caption.resize(static_cast<size_t>(std::max(length, 0)));
    HGDIOBJ old = SelectObject(dc, form.FontOf(control));
    RECT words = text;
    words.left += form.Scale(2);
    DrawTextW(dc, Wide(caption), static_cast<int>(caption.size()), &words,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &text);
}

void NativeControl::PaintImage(HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const auto& image = static_cast<ui::Image&>(control);
    const auto& picture = image.Picture();
    if (!picture || picture->width <= 0 || picture->height <= 0) return;
    // A picture that is not stretched keeps its size in 96-DPI pixels, so it looks the same
    // beside the scaled controls.
    const int width = image.stretch ? client.right : form.Scale(picture->width);
    const int height = image.stretch ? client.bottom : form.Scale(picture->height);
    if (width <= 0 || height <= 0) return;
    if (composedSize_.cx != width || composedSize_.cy != height) {
        composed_ = ComposePicture(*picture, width, height, FaceColor(), image.transparent);
        composedSize_ = {width, height};
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                      static_cast<UINT>(height), composed_.data(), &info, DIB_RGB_COLORS);
}

void NativeControl::PaintContainer(HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    if (kind == Kind::Pages) {
        // The frame a page control draws around its pages when it shows no tabs.
        DrawEdge(dc, &client, EDGE_RAISED, BF_RECT | BF_SOFT);
    } else if (kind == Kind::Panel) {
        if (static_cast<ui::Panel&>(control).bevel)
            DrawEdge(dc, &client, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
        const String& caption = control.Caption();
        if (!caption.empty()) {
            HGDIOBJ old = SelectObject(dc, form.FontOf(control));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            DrawTextW(dc, Wide(caption), static_cast<int>(caption.size()), &client,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            SelectObject(dc, old);
        }
    }
}

} // namespace win32ui
