#pragma once
// Acting on another program as a user would: the mouse and the keyboard.
#include <windows.h>

#include <string>

// Polls `done` every few milliseconds until it holds or `timeoutMs` passed.
template <class F> bool WaitFor(F done, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(15);
    }
}

// Makes the window's top-level window (or the dialog it is waiting on) the active one.
// True when it is active afterwards.
bool BringToFront(HWND hwnd);

enum class ClickVia { Auto, Mouse, Message, Invoke };

// Clicks the control at `point` (screen coordinates; its centre when null). Auto uses the
// real mouse when the point reaches the control's window, and the button's own click
// message when something covers it; Invoke clicks a button as UI Automation's Invoke does
// (BM_CLICK sent from this process, without waiting for the handler to finish). Returns how
// it clicked: "mouse", "message", "invoke", or "none" for a disabled control reached by
// message (a user's click there does nothing).
std::string Click(HWND hwnd, const POINT* point, ClickVia via, bool doubleClick = false);

// Gives the control the keyboard focus; raises when it cannot.
void GiveFocus(HWND hwnd);

// Types text into the focused control: "keys" as keyboard input, "chars" as WM_CHAR
// messages to `hwnd`.
void TypeKeys(const std::wstring& text);
void TypeChars(HWND hwnd, const std::wstring& text);

// Presses a key with optional modifiers, e.g. "Esc", "Tab", "Enter", "Backspace", "Delete",
// "Alt+C", "Ctrl+Shift+Tab", "F4", "Down".
void PressKeys(const std::string& spec);
