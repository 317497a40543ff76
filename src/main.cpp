// The program entry: wires the Windows services and window backend to the wizard and runs
// the message loop.
#include <windows.h>

#include "dialogs/untAbout.h"
#include "dialogs/untWait.h"
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
    frmMain = new TfrmMain();
    frmAbout = new TfrmAbout();
    frmWait = new TfrmWait();
    frmAbout->owner = frmMain;
    frmWait->owner = frmMain;
    ui::DispatchEvent([] { frmMain->Realize(); });
    ui::DispatchEvent([] { frmAbout->Realize(); });
    ui::DispatchEvent([] { frmWait->Realize(); });

    ui::DispatchEvent([] { frmMain->Show(); });
    RunMessageLoop();

    FinalizeUnits();
    return 0;
}
