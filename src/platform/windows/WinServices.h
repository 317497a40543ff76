#pragma once
// The single Windows implementation of each service (installed by InstallWindowsServices).
#include <windows.h>

#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/Libraries.h"
#include "platform/Locale.h"
#include "platform/LogFiles.h"
#include "platform/MessagePump.h"
#include "platform/Pictures.h"
#include "platform/Processes.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/Security.h"
#include "platform/ServiceControl.h"
#include "platform/Spooler.h"
#include "platform/SystemInfo.h"

IProcesses& WindowsProcesses();
ISpooler& WindowsSpooler();
ILibraries& WindowsLibraries();
ILocale& WindowsLocale();
IPictures& WindowsPictures();
IClock& WindowsClock();
ICodePage& WindowsCodePage();
IProfile& WindowsProfile();
IFiles& WindowsFiles();
IRegistry& WindowsRegistry();
ISystemInfo& WindowsSystemInfo();
ILogFiles& WindowsLogFiles();
IServiceControl& WindowsServiceControl();
ISecurity& WindowsSecurity();

// One of the system's libraries by its file name, from the system folder only; nullptr when it
// cannot be loaded. The window backend's optional libraries are loaded through it too.
HMODULE LoadSystemLibrary(const wchar_t* fileName);

// The pump hands every message to this filter first (keyboard navigation of the window
// backend); a true result means the message was handled there.
using MessageFilter = bool (*)(MSG& msg);
void SetMessageFilter(MessageFilter filter);
IMessagePump& WindowsMessagePump();
// A quit request has been seen by the pump (local loops, such as a modal form's, end); it
// stays pending for the main loop.
bool QuitRequested();
// Runs the message loop until a quit request; returns the exit code it carries.
int RunMessageLoop();
