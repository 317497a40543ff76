#pragma once
// The system's message boxes and shell "open", and the window they belong to.
#include <windows.h>

// Installs them as the dialogs service.
void InstallWindowsDialogs();
// The program's main window: owner of the shell's windows. The window backend sets it when
// the first form is made.
void SetApplicationWindow(HWND hwnd);
HWND ApplicationWindow();
