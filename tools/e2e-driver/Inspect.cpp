#include "Inspect.h"

#include <commctrl.h>

#include "platform/windows/ErrorText.h"

UINT g_answerTimeoutMs = 5000;

namespace {

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM into) {
    reinterpret_cast<std::vector<HWND>*>(into)->push_back(hwnd);
    return TRUE;
}

} // namespace

bool SameClass(HWND hwnd, const wchar_t* name) {
    return lstrcmpiW(ClassName(hwnd).c_str(), name) == 0;
}

std::wstring WizName(HWND hwnd) {
    const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(hwnd, L"WizName")));
    if (!atom) return {};
    wchar_t name[256];
    const UINT n = GlobalGetAtomNameW(atom, name, 256);
    return std::wstring(name, n);
}

std::wstring ClassName(HWND hwnd) {
    wchar_t name[256];
    const int n = GetClassNameW(hwnd, name, 256);
    return std::wstring(name, n > 0 ? static_cast<size_t>(n) : 0);
}

DWORD ProcessOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

HWND CheckWindow(long long handle) {
    const HWND hwnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
    if (!handle || !IsWindow(hwnd)) throw DriverError("no such window: " + std::to_string(handle));
    return hwnd;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> all;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&all));
    return all;
}

LRESULT Ask(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SetLastError(0);
    if (!SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_NORMAL, g_answerTimeoutMs, &result)) {
        const DWORD error = GetLastError();
        if (!IsWindow(hwnd)) throw DriverError("the window has gone");
        if (error == ERROR_TIMEOUT || error == 0)
            throw DriverError("busy: the window did not answer within " +
                              std::to_string(g_answerTimeoutMs) + " ms");
        throw DriverError("message failed: " + ToUtf8(WindowsErrorText(error)));
    }
    return static_cast<LRESULT>(result);
}

std::wstring Text(HWND hwnd) {
    const auto length = static_cast<size_t>(Ask(hwnd, WM_GETTEXTLENGTH));
    std::wstring text(length + 1, L'\0');
    const auto got = static_cast<size_t>(
        Ask(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data())));
    text.resize(got < length ? got : length);
    return text;
}

std::vector<std::wstring> Lines(HWND hwnd) {
    const std::wstring text = Text(hwnd);
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && text[end] != L'\r' && text[end] != L'\n')
            ++end;
        lines.push_back(text.substr(start, end - start));
        if (end < text.size() && text[end] == L'\r') ++end;
        if (end < text.size() && text[end] == L'\n') ++end;
        start = end;
    }
    return lines;
}

bool IsFocused(HWND hwnd) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info) &&
           info.hwndFocus == hwnd;
}

RECT ScreenRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

ListState ReadList(HWND hwnd) {
    ListState s;
    s.isCombo = SameClass(hwnd, L"ComboBox");
    if (!s.isCombo && !SameClass(hwnd, L"ListBox"))
        throw DriverError("not a list box or combo box: " + ToUtf8(ClassName(hwnd)));
    const UINT getCount = s.isCombo ? CB_GETCOUNT : LB_GETCOUNT;
    const UINT getLength = s.isCombo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    const UINT getText = s.isCombo ? CB_GETLBTEXT : LB_GETTEXT;
    const UINT getData = s.isCombo ? CB_GETITEMDATA : LB_GETITEMDATA;
    const auto count = static_cast<int>(Ask(hwnd, getCount));
    for (int i = 0; i < count; ++i) {
        const auto length = Ask(hwnd, getLength, static_cast<WPARAM>(i));
        // The system carries these texts across processes; the buffer is ours.
        std::wstring text(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
        const auto got =
            Ask(hwnd, getText, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(got > 0 && static_cast<size_t>(got) < text.size() ? static_cast<size_t>(got)
                                                                      : 0);
        s.items.push_back(text);
        s.data.push_back(Ask(hwnd, getData, static_cast<WPARAM>(i)));
    }
    s.selected = static_cast<int>(Ask(hwnd, s.isCombo ? CB_GETCURSEL : LB_GETCURSEL));
    if (s.selected < 0) s.selected = -1;
    return s;
}

ProgressState ReadProgress(HWND hwnd) {
    if (!SameClass(hwnd, PROGRESS_CLASSW))
        throw DriverError("not a progress bar: " + ToUtf8(ClassName(hwnd)));
    ProgressState p{};
    p.pos = static_cast<int>(Ask(hwnd, PBM_GETPOS));
    // The range message answers one limit per call when it is given no structure.
    p.min = static_cast<int>(Ask(hwnd, PBM_GETRANGE, TRUE, 0));
    p.max = static_cast<int>(Ask(hwnd, PBM_GETRANGE, FALSE, 0));
    return p;
}

std::vector<StatusPanel> ReadStatusBar(HWND hwnd) {
    if (!SameClass(hwnd, STATUSCLASSNAMEW))
        throw DriverError("not a status bar: " + ToUtf8(ClassName(hwnd)));
    // Status bar messages carry pointers the system does not marshal: the buffers live in
    // the program's own memory.
    constexpr int kMaxParts = 256;
    RemoteBuffer edges(hwnd, sizeof(int) * kMaxParts);
    const auto parts = static_cast<int>(Ask(hwnd, SB_GETPARTS, kMaxParts, edges.lparam()));
    std::vector<int> right(static_cast<size_t>(parts > 0 ? parts : 0));
    if (!right.empty()) edges.Read(right.data(), right.size() * sizeof(int));

    std::vector<StatusPanel> panels;
    for (int i = 0; i < parts; ++i) {
        const auto length = LOWORD(Ask(hwnd, SB_GETTEXTLENGTHW, static_cast<WPARAM>(i)));
        RemoteBuffer buffer(hwnd, (length + 1u) * sizeof(wchar_t));
        Ask(hwnd, SB_GETTEXTW, static_cast<WPARAM>(i), buffer.lparam());
        std::wstring text(length + 1u, L'\0');
        buffer.Read(text.data(), text.size() * sizeof(wchar_t));
        text.resize(wcsnlen(text.c_str(), length));
        panels.push_back({text, right[static_cast<size_t>(i)]});
    }
    return panels;
}

RECT ListItemRect(HWND list, int index) {
    const auto count = static_cast<int>(Ask(list, LB_GETCOUNT));
    if (index < 0 || index >= count)
        throw DriverError("no item " + std::to_string(index) + " (the list has " +
                          std::to_string(count) + ")");
    RECT client{};
    GetClientRect(list, &client);
    RECT r{};
    auto fetch = [&] {
        if (Ask(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) ==
            LB_ERR)
            throw DriverError("no rectangle for item " + std::to_string(index));
    };
    fetch();
    if (r.top < client.top || r.bottom > client.bottom) {
        Ask(list, LB_SETTOPINDEX, static_cast<WPARAM>(index));
        fetch();
    }
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RemoteBuffer::RemoteBuffer(HWND owner, size_t size) : size_(size) {
    process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               ProcessOf(owner)));
    if (!process_)
        throw DriverError("cannot open the program: " + ToUtf8(WindowsErrorText(GetLastError())));
    address_ =
        VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!address_) {
        const DWORD error = GetLastError();
        throw DriverError("no memory in the program: " + ToUtf8(WindowsErrorText(error)));
    }
}

RemoteBuffer::~RemoteBuffer() {
    VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
}

void RemoteBuffer::Read(void* to, size_t size) const {
    SIZE_T got = 0;
    if (size > size_ || !ReadProcessMemory(process_.get(), address_, to, size, &got) || got != size)
        throw DriverError("cannot read the program's memory");
}

void RemoteBuffer::Write(const void* from, size_t size) {
    SIZE_T put = 0;
    if (size > size_ || !WriteProcessMemory(process_.get(), address_, from, size, &put) ||
        put != size)
        throw DriverError("cannot write the program's memory");
}
