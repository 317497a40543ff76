// The program entry: wires the Windows services and window backend to the wizard and runs
// the message loop.
#include <windows.h>

#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinDialogs.h"
#include "platform/windows/WinServices.h"
#include "platform/windows/WindowsServices.h"
#include "printing/untFuction.h"
#include "shell/Startup.h"
#include "shell/untMain.h"
#include "ui/Dispatch.h"
#include "ui/win32/Win32Backend.h"

namespace {

// The program runs elevated, often from a folder the user can write to (Downloads): a library
// found there, or in the working folder, would run with administrator rights. From here on
// libraries come from the system folder only. SetDefaultDllDirectories is missing on systems
// without the KB2533623 update; there, at least the working folder leaves the search.
void LoadLibrariesFromSystemFolderOnly() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = ProcAddress<SetDefaultDllDirectoriesFn>(
        GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LoadLibrariesFromSystemFolderOnly();
    InstallWindowsServices();
    InstallWindowsDialogs();
    InstallWin32Backend({&SetApplicationWindow, &QuitRequested});
    SetMessageFilter(&Win32FilterMessage);

    // install.dat and the USB library are the kit's, however the program was started (a
    // shortcut, "Run as administrator" from another folder): the working folder is its own.
    const String folder = ExtractFilePath(Files::Get().ModuleFileName());
    if (folder.empty() || !SetCurrentDirectoryW(Wide(folder))) {
        ui::ShowStandardErrorBox(SysErrorMessage(GetLastError()));
        return 1;
    }

    InitializeUnits();

    // The first window made is the main window; it owns the taskbar button.
    CreateWindows();
    RealizeWindows();

    ui::DispatchEvent([] { frmMain->Show(); });
    RunMessageLoop();

    FinalizeUnits();
    return 0;
}
