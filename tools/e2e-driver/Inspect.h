#pragma once
// Finding windows of another process and reading their state the way a user sees it.
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/windows/Handles.h"

// A failed driver command; the text goes back to the test as the answer's "error".
class DriverError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// How long a message to the program under test may take before the driver calls it busy
// (the program blocks its window thread while a console command runs).
extern UINT g_answerTimeoutMs;

// The name a program gives its windows and controls: the property "WizName" holds a global
// atom whose text is the name. Empty when the window carries none.
std::wstring WizName(HWND hwnd);
std::wstring ClassName(HWND hwnd);
// The window's class is `name`, without regard to letter case.
bool SameClass(HWND hwnd, const wchar_t* name);
DWORD ProcessOf(HWND hwnd);
HWND CheckWindow(long long handle); // raises DriverError when it is not a window

std::vector<HWND> TopLevelWindows();
std::vector<HWND> Descendants(HWND parent); // every level, in Z order

// Sends a message and waits for the answer at most g_answerTimeoutMs; raises when the
// window is gone or does not answer in time.
LRESULT Ask(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

std::wstring Text(HWND hwnd);               // WM_GETTEXT
std::vector<std::wstring> Lines(HWND hwnd); // text split at line breaks
bool IsFocused(HWND hwnd);
RECT ScreenRect(HWND hwnd);

struct ListState {
    std::vector<std::wstring> items;
    std::vector<LONG_PTR> data; // item data: a check list keeps each item's mark here
    int selected = -1;
    bool isCombo = false;
};
ListState ReadList(HWND hwnd); // list box or combo box

struct ProgressState {
    int pos, min, max;
};
ProgressState ReadProgress(HWND hwnd);

struct StatusPanel {
    std::wstring text;
    int right; // right edge of the panel, -1 when it reaches the window's edge
};
std::vector<StatusPanel> ReadStatusBar(HWND hwnd);

// Screen rectangle of one list box item (LB_GETITEMRECT), scrolled into view first.
RECT ListItemRect(HWND list, int index);

// Memory in another process, for control messages the system does not carry across.
class RemoteBuffer {
  public:
    RemoteBuffer(HWND owner, size_t size);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    void* address() const { return address_; }
    LPARAM lparam() const { return reinterpret_cast<LPARAM>(address_); }
    void Read(void* to, size_t size) const;
    void Write(const void* from, size_t size);

  private:
    Handle process_;
    void* address_ = nullptr;
    size_t size_ = 0;
};
