#include "Input.h"

#include <cctype>
#include <cstdlib>
#include <vector>

#include "Inspect.h"
#include "platform/windows/ErrorText.h"
#include "platform/windows/Handles.h"

namespace {

constexpr DWORD kPointerSettleMs = 40;

struct LastClick {
    HWND hwnd = nullptr;
    POINT pt{};
    ULONGLONG time = 0;
} g_lastClick;

HWND TopOf(HWND hwnd) {
    return GetAncestor(hwnd, GA_ROOT);
}

void Send(std::vector<INPUT>& inputs) {
    if (inputs.empty()) return;
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size())
        throw DriverError("the system refused the input: " +
                          ToUtf8(WindowsErrorText(GetLastError())));
}

INPUT MouseInput(DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    return in;
}

INPUT KeyInput(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    switch (vk) {
    case VK_DELETE:
    case VK_INSERT:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        break;
    default:
        break;
    }
    return in;
}

// Two clicks close in time and place make a double click; a single click moves a few
// pixels away from the previous one instead (still inside the control), or waits.
POINT AvoidDoubleClick(HWND hwnd, POINT pt, const RECT& bounds) {
    const ULONGLONG now = GetTickCount64();
    const ULONGLONG dbl = GetDoubleClickTime();
    const int cx = GetSystemMetrics(SM_CXDOUBLECLK), cy = GetSystemMetrics(SM_CYDOUBLECLK);
    if (g_lastClick.hwnd != hwnd || now - g_lastClick.time > dbl ||
        std::abs(pt.x - g_lastClick.pt.x) > cx || std::abs(pt.y - g_lastClick.pt.y) > cy)
        return pt;
    for (const int dx : {cx + 1, -(cx + 1)}) {
        const POINT moved{g_lastClick.pt.x + dx, pt.y};
        if (moved.x > bounds.left && moved.x < bounds.right - 1) return moved;
    }
    Sleep(static_cast<DWORD>(dbl - (now - g_lastClick.time) + 20));
    return pt;
}

void MouseClick(HWND hwnd, POINT pt, bool doubleClick) {
    if (!SetCursorPos(pt.x, pt.y))
        throw DriverError("cannot move the mouse: " + ToUtf8(WindowsErrorText(GetLastError())));
    // Wine moves the X pointer after the system's cursor; a button pressed before the X
    // server has reported that move can be lost. A hand on a mouse pauses about as long.
    Sleep(kPointerSettleMs);
    std::vector<INPUT> inputs{MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP)};
    if (doubleClick) {
        inputs.push_back(MouseInput(MOUSEEVENTF_LEFTDOWN));
        inputs.push_back(MouseInput(MOUSEEVENTF_LEFTUP));
    }
    Send(inputs);
    g_lastClick = {hwnd, pt, GetTickCount64()};
}

// A window just created or busy with a command is not ready for a click yet: wait (briefly)
// until its thread takes messages and its window is enabled, as a user waits for it.
void Settle(HWND hwnd) {
    const HWND top = TopOf(hwnd);
    try {
        Ask(top, WM_NULL);
    } catch (const DriverError&) {
        return; // busy: the click is queued like a user's
    }
    WaitFor([&] { return IsWindowEnabled(top) || GetLastActivePopup(top) != top; }, 1000);
}

std::string MessageClick(HWND hwnd, POINT pt, bool doubleClick) {
    if (!IsWindowEnabled(hwnd)) return "none";
    if (SameClass(hwnd, L"Button")) {
        // Posted: a click handler may open a modal box and would hold a sent message.
        PostMessageW(hwnd, BM_CLICK, 0, 0);
        if (doubleClick) PostMessageW(hwnd, BM_CLICK, 0, 0);
        return "message";
    }
    ScreenToClient(hwnd, &pt);
    const LPARAM at = MAKELPARAM(pt.x, pt.y);
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
    if (doubleClick) {
        PostMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
    }
    return "message";
}

// UI Automation's Invoke on a push button, as the system's button proxy does it from the
// client's process: the focus to the button, then BM_CLICK sent (not posted) with a 10 s
// SendMessageTimeout, SMTO_BLOCK. The handler may hold the sent message for as long as its
// modal box is open, so the send runs on a thread of its own and the driver answers at once.
DWORD WINAPI InvokeThread(void* param) {
    const auto hwnd = static_cast<HWND>(param);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, BM_CLICK, 0, 0, SMTO_BLOCK, 10000, &result);
    return 0;
}

std::string InvokeClick(HWND hwnd) {
    if (!IsWindowEnabled(hwnd)) return "none";
    if (!SameClass(hwnd, L"Button")) throw DriverError("only a button can be invoked");
    const DWORD self = GetCurrentThreadId();
    const DWORD target = GetWindowThreadProcessId(hwnd, nullptr);
    if (AttachThreadInput(self, target, TRUE)) {
        SetFocus(hwnd);
        AttachThreadInput(self, target, FALSE);
    }
    const Handle thread(CreateThread(nullptr, 0, InvokeThread, hwnd, 0, nullptr));
    if (!thread)
        throw DriverError("cannot start a thread: " + ToUtf8(WindowsErrorText(GetLastError())));
    return "invoke";
}

WORD KeyCode(std::string name) {
    for (auto& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    struct Named {
        const char* name;
        WORD vk;
    };
    static const Named names[] = {
        {"esc", VK_ESCAPE},      {"escape", VK_ESCAPE}, {"tab", VK_TAB},
        {"enter", VK_RETURN},    {"return", VK_RETURN}, {"backspace", VK_BACK},
        {"back", VK_BACK},       {"delete", VK_DELETE}, {"del", VK_DELETE},
        {"insert", VK_INSERT},   {"space", VK_SPACE},   {"home", VK_HOME},
        {"end", VK_END},         {"pageup", VK_PRIOR},  {"pagedown", VK_NEXT},
        {"left", VK_LEFT},       {"right", VK_RIGHT},   {"up", VK_UP},
        {"down", VK_DOWN},       {"alt", VK_MENU},      {"ctrl", VK_CONTROL},
        {"control", VK_CONTROL}, {"shift", VK_SHIFT},
    };
    for (const auto& n : names)
        if (name == n.name) return n.vk;
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return static_cast<WORD>(std::toupper(static_cast<unsigned char>(name[0])));
    if (name.size() >= 2 && name[0] == 'f') {
        const int n = std::atoi(name.c_str() + 1);
        if (n >= 1 && n <= 24 && std::to_string(n) == name.substr(1))
            return static_cast<WORD>(VK_F1 + n - 1);
    }
    throw DriverError("unknown key: " + name);
}

} // namespace

bool BringToFront(HWND hwnd) {
    HWND top = TopOf(hwnd);
    // A window disabled for its modal dialog gives way to that dialog.
    const HWND popup = GetLastActivePopup(top);
    if (!IsWindowEnabled(top) && popup && IsWindowVisible(popup) && IsWindowEnabled(popup))
        top = popup;
    if (GetForegroundWindow() == top) return true;
    SetForegroundWindow(top);
    return WaitFor([&] { return GetForegroundWindow() == top; }, 2000);
}

std::string Click(HWND hwnd, const POINT* point, ClickVia via, bool doubleClick) {
    if (!IsWindowVisible(hwnd)) throw DriverError("the control is not visible");
    const RECT r = ScreenRect(hwnd);
    POINT pt = point ? *point : POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    if (via == ClickVia::Message) return MessageClick(hwnd, pt, doubleClick);
    if (via == ClickVia::Invoke) return InvokeClick(hwnd);

    BringToFront(hwnd);
    Settle(hwnd);
    if (!doubleClick) pt = AvoidDoubleClick(hwnd, pt, r);
    const HWND hit = WindowFromPoint(pt);
    // A disabled control lets the click fall through to its parent, as it does for a user.
    if (hit && TopOf(hit) == TopOf(hwnd)) {
        MouseClick(hwnd, pt, doubleClick);
        return "mouse";
    }
    if (via == ClickVia::Mouse)
        throw DriverError("the point is covered by another window (class " +
                          ToUtf8(hit ? ClassName(hit) : L"none") + ")");
    return MessageClick(hwnd, pt, doubleClick);
}

void GiveFocus(HWND hwnd) {
    if (IsFocused(hwnd)) return;
    if (!IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd))
        throw DriverError("the control cannot take the focus (hidden or disabled)");
    BringToFront(hwnd);
    const DWORD self = GetCurrentThreadId();
    const DWORD target = GetWindowThreadProcessId(hwnd, nullptr);
    if (AttachThreadInput(self, target, TRUE)) {
        SetFocus(hwnd);
        AttachThreadInput(self, target, FALSE);
    }
    if (WaitFor([&] { return IsFocused(hwnd); }, 1000)) return;
    // As a user would: click into it.
    Click(hwnd, nullptr, ClickVia::Mouse);
    if (!WaitFor([&] { return IsFocused(hwnd); }, 2000))
        throw DriverError("the control did not take the focus");
}

void TypeKeys(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (const wchar_t c : text) {
        for (const bool up : {false, true}) {
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wScan = static_cast<WORD>(c);
            in.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
            inputs.push_back(in);
        }
    }
    Send(inputs);
}

void TypeChars(HWND hwnd, const std::wstring& text) {
    for (const wchar_t c : text)
        PostMessageW(hwnd, WM_CHAR, static_cast<WPARAM>(c), 1);
}

void PressKeys(const std::string& spec) {
    std::vector<WORD> keys;
    size_t start = 0;
    while (start <= spec.size()) {
        size_t plus = spec.find('+', start);
        // "Ctrl++" presses the plus key itself.
        if (plus == start && plus + 1 == spec.size()) plus = std::string::npos;
        const std::string part =
            spec.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        if (part.empty()) throw DriverError("empty key in '" + spec + "'");
        keys.push_back(part == "+" ? VK_OEM_PLUS : KeyCode(part));
        if (plus == std::string::npos) break;
        start = plus + 1;
    }
    std::vector<INPUT> inputs;
    for (const WORD vk : keys)
        inputs.push_back(KeyInput(vk, false));
    for (auto it = keys.rbegin(); it != keys.rend(); ++it)
        inputs.push_back(KeyInput(*it, true));
    Send(inputs);
}
