#include "platform/windows/WindowsServices.h"

#include "platform/windows/WinServices.h"

void InstallWindowsServices() {
    Processes::Install(&WindowsProcesses());
    Clock::Install(&WindowsClock());
    MessagePump::Install(&WindowsMessagePump());
    CodePage::Install(&WindowsCodePage());
    Profile::Install(&WindowsProfile());
    Files::Install(&WindowsFiles());
    Spooler::Install(&WindowsSpooler());
    Libraries::Install(&WindowsLibraries());
    Registry::Install(&WindowsRegistry());
    Locale::Install(&WindowsLocale());
    Pictures::Install(&WindowsPictures());
    SystemInfo::Install(&WindowsSystemInfo());
    LogFiles::Install(&WindowsLogFiles());
    ServiceControl::Install(&WindowsServiceControl());
    Security::Install(&WindowsSecurity());
}
