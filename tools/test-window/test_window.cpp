// A small window with one control of each kind the wizard uses, every one named the way the
// wizard names its controls: the window property "WizName" holds a global atom whose text is
// the control's name. Count advances a counter, the progress bar and the status bar; Message
// asks a yes/no question and reports the answer; the check list toggles an item's mark (kept
// in its item data) when its box is clicked or Space is pressed.
#include <windows.h>

#include <commctrl.h>

#include <string>

namespace {

constexpr wchar_t kClass[] = L"WizTestWindow";
constexpr wchar_t kTitle[] = L"Test window";
constexpr wchar_t kNameProp[] = L"WizName";
constexpr int kClientWidth = 440, kClientHeight = 290;
constexpr int kItemHeight = 19, kCheckBox = 13;

enum ControlId : int {
    idCount = 101,
    idMessage,
    idCounter,
    idOption,
    idFirst,
    idSecond,
    idName,
    idChoice,
    idItems,
    idLog,
    idProgress,
    idStatus,
};

struct ControlSpec {
    int id;
    const wchar_t* name;
    const wchar_t* cls;
    const wchar_t* text;
    DWORD style, exStyle;
    int x, y, w, h;
};

// Positions at 96 DPI.
const ControlSpec kControls[] = {
    {idCounter, L"lblCount", WC_STATICW, L"Clicks: 0", SS_LEFT, 0, 16, 16, 200, 16},
    {idCount, L"btnCount", WC_BUTTONW, L"&Count", BS_PUSHBUTTON | WS_TABSTOP, 0, 16, 40, 96, 28},
    {idMessage, L"btnMessage", WC_BUTTONW, L"&Message", BS_PUSHBUTTON | WS_TABSTOP, 0, 120, 40, 96,
     28},
    {idOption, L"chkOption", WC_BUTTONW, L"&Option", BS_AUTOCHECKBOX | WS_TABSTOP, 0, 16, 80, 200,
     18},
    {idFirst, L"rbFirst", WC_BUTTONW, L"&First", BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 0, 16,
     104, 96, 18},
    {idSecond, L"rbSecond", WC_BUTTONW, L"&Second", BS_AUTORADIOBUTTON, 0, 120, 104, 96, 18},
    {idName, L"edtName", WC_EDITW, L"", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE,
     16, 132, 200, 22},
    {idChoice, L"cbChoice", WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 16,
     166, 200, 120},
    {idItems, L"lstItems", WC_LISTBOXW, L"",
     LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL |
         WS_TABSTOP,
     WS_EX_CLIENTEDGE, 232, 16, 192, 4 * kItemHeight + 2},
    {idLog, L"meLog", WC_EDITW, L"", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL,
     WS_EX_CLIENTEDGE, 232, 108, 192, 90},
    {idProgress, L"pbProgress", PROGRESS_CLASSW, L"", 0, 0, 16, 216, 408, 17},
};

const wchar_t* const kChoices[] = {L"Red", L"Green", L"Blue"};
const wchar_t* const kItems[] = {L"Alpha", L"Beta", L"Gamma", L"Delta", L"Epsilon"};

struct State {
    HWND window = nullptr;
    HFONT font = nullptr;
    int clicks = 0;
} g;

HWND Item(int id) {
    return GetDlgItem(g.window, id);
}

void SetWizName(HWND hwnd, const wchar_t* name) {
    const ATOM atom = GlobalAddAtomW(name);
    SetPropW(hwnd, kNameProp, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)));
}

// Atoms of the global table are counted: each name is given back once.
BOOL CALLBACK DropWizName(HWND hwnd, LPARAM) {
    if (const auto atom =
            static_cast<ATOM>(reinterpret_cast<UINT_PTR>(RemovePropW(hwnd, kNameProp))))
        GlobalDeleteAtom(atom);
    return TRUE;
}

void SetStatus(int panel, const std::wstring& text) {
    SendMessageW(Item(idStatus), SB_SETTEXTW, static_cast<WPARAM>(panel),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

void AppendLog(const std::wstring& line) {
    const HWND log = Item(idLog);
    const int end = GetWindowTextLengthW(log);
    SendMessageW(log, EM_SETSEL, static_cast<WPARAM>(end), end);
    const std::wstring text = (end ? L"\r\n" : L"") + line;
    SendMessageW(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

// ---- handlers ------------------------------------------------------------------------

void btnCountClick() {
    ++g.clicks;
    SetWindowTextW(Item(idCounter), (L"Clicks: " + std::to_wstring(g.clicks)).c_str());
    SendMessageW(Item(idProgress), PBM_STEPIT, 0, 0);
    SetStatus(1, L"Clicked " + std::to_wstring(g.clicks) + L" times");
    AppendLog(L"Click " + std::to_wstring(g.clicks));
}

void btnMessageClick() {
    const int answer = MessageBoxW(GetActiveWindow(), L"Continue with the test?", L"Question",
                                   MB_YESNO | MB_ICONQUESTION);
    const std::wstring said = answer == IDYES ? L"Yes" : answer == IDNO ? L"No" : L"other";
    SetStatus(1, L"Answer: " + said);
    AppendLog(L"Answer " + said);
}

void cbChoiceChange() {
    const HWND combo = Item(idChoice);
    const auto index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index < 0) return;
    wchar_t text[64] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    SetStatus(1, std::wstring(L"Choice: ") + text);
}

void ToggleMark(HWND list, int index) {
    const LRESULT marked = SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), marked ? 0 : 1);
    RECT r;
    if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&r)) != LB_ERR)
        InvalidateRect(list, &r, FALSE);
    wchar_t text[64] = {};
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    SetStatus(1, std::wstring(marked ? L"Unmarked " : L"Marked ") + text);
}

LRESULT CALLBACK CheckListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR) {
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
        const LRESULT hit = SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lParam);
        if (HIWORD(hit) == 0 && static_cast<short>(LOWORD(lParam)) < kItemHeight)
            ToggleMark(hwnd, LOWORD(hit));
    } else if (msg == WM_KEYDOWN && wParam == VK_SPACE) {
        const auto index = SendMessageW(hwnd, LB_GETCURSEL, 0, 0);
        if (index >= 0) ToggleMark(hwnd, static_cast<int>(index));
        return 0;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

void DrawCheckItem(const DRAWITEMSTRUCT& d) {
    if (d.itemID == static_cast<UINT>(-1)) return;
    const bool selected = (d.itemState & ODS_SELECTED) != 0;
    FillRect(d.hDC, &d.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int top = d.rcItem.top + (kItemHeight - kCheckBox) / 2;
    RECT box{d.rcItem.left + 2, top, d.rcItem.left + 2 + kCheckBox, top + kCheckBox};
    DrawFrameControl(d.hDC, &box, DFC_BUTTON,
                     DFCS_BUTTONCHECK | DFCS_FLAT | (d.itemData ? DFCS_CHECKED : 0));
    wchar_t text[64] = {};
    SendMessageW(d.hwndItem, LB_GETTEXT, d.itemID, reinterpret_cast<LPARAM>(text));
    RECT textRect = d.rcItem;
    textRect.left += kItemHeight + 2;
    SetBkMode(d.hDC, TRANSPARENT);
    SetTextColor(d.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(d.hDC, text, -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (d.itemState & ODS_FOCUS) DrawFocusRect(d.hDC, &d.rcItem);
}

int Scale(int v, int dpi) {
    return MulDiv(v, dpi, 96);
}

void FormCreate(HWND hwnd) {
    g.window = hwnd;
    SetWizName(hwnd, L"frmTest");
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    g.font = CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
    for (const ControlSpec& c : kControls) {
        HWND control = CreateWindowExW(
            c.exStyle, c.cls, c.text, WS_CHILD | WS_VISIBLE | c.style, Scale(c.x, dpi),
            Scale(c.y, dpi), Scale(c.w, dpi), Scale(c.h, dpi), hwnd,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), nullptr, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g.font), FALSE);
        SetWizName(control, c.name);
    }
    HWND status =
        CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(idStatus)), nullptr, nullptr);
    SendMessageW(status, WM_SETFONT, reinterpret_cast<WPARAM>(g.font), FALSE);
    SetWizName(status, L"StatusBar1");
    int edges[2] = {Scale(70, dpi), -1};
    SendMessageW(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    SetStatus(0, L"Ready");
    SetStatus(1, L"Nothing clicked yet");

    for (const wchar_t* choice : kChoices)
        SendMessageW(Item(idChoice), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
    for (const wchar_t* item : kItems)
        SendMessageW(Item(idItems), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SetWindowSubclass(Item(idItems), CheckListProc, 0, 0);
    SendMessageW(Item(idProgress), PBM_SETRANGE32, 0, 5);
    SendMessageW(Item(idProgress), PBM_SETSTEP, 1, 0);
    SendMessageW(Item(idFirst), BM_SETCHECK, BST_CHECKED, 0);
}

void FormDestroy(HWND hwnd) {
    EnumChildWindows(hwnd, DropWizName, 0);
    DropWizName(hwnd, 0);
    DeleteObject(g.font);
    PostQuitMessage(0);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        FormCreate(hwnd);
        return 0;
    case WM_DESTROY:
        FormDestroy(hwnd);
        return 0;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = kItemHeight;
        return TRUE;
    case WM_DRAWITEM:
        DrawCheckItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_SIZE:
        SendMessageW(Item(idStatus), WM_SIZE, 0, 0);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case idCount:
            if (HIWORD(wParam) == BN_CLICKED) btnCountClick();
            return 0;
        case idMessage:
            if (HIWORD(wParam) == BN_CLICKED) btnMessageClick();
            return 0;
        case idChoice:
            if (HIWORD(wParam) == CBN_SELCHANGE) cbChoiceChange();
            return 0;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    INITCOMMONCONTROLSEX icc{sizeof icc,
                             ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    RECT r{0, 0, Scale(kClientWidth, dpi), Scale(kClientHeight, dpi)};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HWND hwnd = CreateWindowExW(0, kClass, kTitle, style, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                                (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, nullptr, nullptr,
                                instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(hwnd, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
