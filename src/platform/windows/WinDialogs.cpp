// Before <windows.h>: its message box names (IDOK, MessageBox ...) are macros there.
#include "platform/Dialogs.h"

#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinDialogs.h"
#include "platform/windows/WinServices.h"

#include <shellapi.h>

#undef MessageBox

namespace {

HWND g_applicationWindow = nullptr;

class WinDialogs final : public IDialogs {
  public:
    int MessageBox(const String& text, const String& title, std::uint32_t flags) override {
        return MessageBoxW(GetActiveWindow(), Wide(text), Wide(title), flags);
    }

    void ShellOpen(const String& target) override {
        // Bound at the first use: loading the shell's libraries with the program would cost
        // every start, and only a click on the vendor's link needs them.
        using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
        static const auto shellExecute =
            ProcAddress<ShellExecuteFn>(LoadSystemLibrary(L"shell32.dll"), "ShellExecuteW");
        // The outcome is not examined: an unusable address simply opens nothing.
        if (shellExecute)
            shellExecute(g_applicationWindow, nullptr, Wide(target), nullptr, nullptr,
                         SW_SHOWNORMAL);
    }
};

} // namespace

void InstallWindowsDialogs() {
    static WinDialogs instance;
    Dialogs::Install(&instance);
}

void SetApplicationWindow(HWND hwnd) {
    g_applicationWindow = hwnd;
}

HWND ApplicationWindow() {
    return g_applicationWindow;
}
