// The program entry: wires the Windows services and window backend to the wizard and runs
// the message loop.
#include <windows.h>

#include "platform/windows/WinServices.h"
#include "platform/windows/WindowsServices.h"
#include "shell/Startup.h"
#include "shell/untMain.h"
#include "ui/Dispatch.h"
#include "ui/win32/Win32Backend.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    InstallWindowsServices();
    InstallWin32Backend();
    InitializeUnits();

    // The first window made is the main window; it owns the taskbar button.
    CreateWindows();
    RealizeWindows();

    ui::DispatchEvent([] { frmMain->Show(); });
    RunMessageLoop();

    FinalizeUnits();
    return 0;
}
