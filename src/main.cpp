// The program entry: wires the Windows services and window backend to the wizard and runs
// the message loop.
#include <windows.h>

#include <optional>
#include <string>

#include "base/StepTimes.h"
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

// Seconds since 1970 on the system's precise clock: the clock the start-up benchmark reads too.
double UnixSeconds(const FILETIME& time) {
    const ULONGLONG ticks =
        (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    constexpr ULONGLONG kTicksTo1970 = 116444736000000000ULL; // 100 ns ticks since 1601
    return static_cast<double>(static_cast<LONGLONG>(ticks - kTicksTo1970)) / 1e7;
}

// GetSystemTimePreciseAsFileTime is missing before Windows 8; the coarse clock serves there.
double UnixNow() {
    using PreciseTimeFn = void(WINAPI*)(FILETIME*);
    static const auto precise = ProcAddress<PreciseTimeFn>(GetModuleHandleW(L"kernel32.dll"),
                                                           "GetSystemTimePreciseAsFileTime");
    FILETIME now{};
    (precise ? precise : &GetSystemTimeAsFileTime)(&now);
    return UnixSeconds(now);
}

// The file WIZ_STARTUP_TIMES names receives the times of the start-up's steps (see
// bench/startup_bench.py); without it nothing is timed.
std::wstring StepTimesFile() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"WIZ_STARTUP_TIMES", path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(path, n) : std::wstring();
}

// The process's own start (before the system loaded its libraries) as the first line.
void WriteStepTimes(const std::wstring& file) {
    FILETIME created{}, exited{}, kernel{}, user{};
    std::string text;
    if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        char line[80];
        snprintf(line, sizeof line, "process %.6f %.6f\n", UnixSeconds(created),
                 steptimes::Steps().empty() ? UnixSeconds(created) : steptimes::Steps()[0].begin);
        text = line;
    }
    text += steptimes::Report();
    const Handle out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (out) WriteFile(out.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::wstring stepTimesFile = StepTimesFile();
    if (!stepTimesFile.empty()) steptimes::Enable(&UnixNow);
    std::optional<TimedStep> services(std::in_place, "services");
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
    services.reset();

    {
        TimedStep step("units");
        InitializeUnits();
    }

    // The first window made is the main window; it owns the taskbar button.
    {
        TimedStep step("windows");
        CreateWindows();
        RealizeWindows();
    }

    {
        TimedStep step("show");
        ui::DispatchEvent([] { frmMain->Show(); });
    }
    if (!stepTimesFile.empty()) WriteStepTimes(stepTimesFile);
    RunMessageLoop();

    FinalizeUnits();
    return 0;
}
