// The program entry: wires the Windows services and window backend to the wizard and runs
// the message loop.
#include <windows.h>

#include <optional>
#include <string>

#include "base/Paths.h"
#include "base/StepTimes.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/SystemInfo.h"
#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinDialogs.h"
#include "platform/windows/WinServices.h"
#include "platform/windows/WindowsServices.h"
#include "printing/untFuction.h"
#include "session/CommandLine.h"
#include "shell/Startup.h"
#include "shell/untMain.h"
#include "ui/Dispatch.h"
#include "ui/win32/Win32Backend.h"
#include "unattended/QuietRun.h"

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

// Where the quiet mode's lines go: the standard output when the caller gave one (a redirection,
// a deployment tool's pipe), else the console of the program that started it (cmd,
// PowerShell); nowhere when there is neither. The program is a windowed one, so Windows gives
// it no console of its own.
class ConsoleOutput final : public IQuietOutput {
  public:
    ConsoleOutput() {
        const HANDLE given = GetStdHandle(STD_OUTPUT_HANDLE);
        if (given && given != INVALID_HANDLE_VALUE && GetFileType(given) != FILE_TYPE_UNKNOWN) {
            out_ = given;
        } else if (AttachConsole(ATTACH_PARENT_PROCESS)) {
            console_ = Handle(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
            if (console_) out_ = console_.get();
        }
        DWORD mode = 0;
        isConsole_ = out_ && GetConsoleMode(out_, &mode);
    }

    void Line(const String& text) override { Write(text); }
    void Command(const String& commandLine, std::optional<std::uint32_t> exitCode,
                 const String& output) override {
        Write(u"> " + commandLine);
        size_t from = 0;
        while (from < output.size()) {
            size_t end = output.find(u"\r\n", from);
            if (end == String::npos) end = output.size();
            if (end > from) Write(u"  " + output.substr(from, end - from));
            from = end + 2;
        }
        Write(exitCode ? u"  exit code " + IntToStr(*exitCode) : String(u"  (did not end)"));
    }
    void End(ExitCode code, const String& outcome) override {
        Write((code == ExitCode::Done ? String() : String(u"Error: ")) + outcome);
        Write(u"Exit code " + IntToStr(static_cast<int>(code)));
    }
    void Write(const String& text) {
        if (!out_) return;
        const String line = text + u"\r\n";
        DWORD written = 0;
        if (isConsole_) {
            WriteConsoleW(out_, Wide(line), static_cast<DWORD>(line.size()), &written, nullptr);
        } else {
            const std::string bytes = ToUtf8(line);
            WriteFile(out_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        }
    }

  private:
    Handle console_;
    HANDLE out_ = nullptr;
    bool isConsole_ = false;
};

// install.dat and the USB library are the kit's, however the program was started (a
// shortcut, "Run as administrator" from another folder): the working folder is its own.
// False with the system's reason when it cannot be entered.
bool EnterProgramFolder(String& reason) {
    const String folder = ExtractFilePath(Files::Get().ModuleFileName());
    if (!folder.empty() && SetCurrentDirectoryW(Wide(folder))) return true;
    reason = SysErrorMessage(GetLastError());
    return false;
}

int RunUnattended(const ParsedCommandLine& parsed) {
    // No message box service is installed: nothing of a quiet run may wait for a user.
    ConsoleOutput out;
    if (!parsed.ok() || parsed.options.help) {
        if (!parsed.ok()) out.Write(u"Error: " + parsed.error);
        out.Write(UsageText());
        return static_cast<int>(parsed.ok() ? ExitCode::Done : ExitCode::Usage);
    }
    String reason;
    if (!EnterProgramFolder(reason)) {
        out.End(ExitCode::KitRefused, u"the program's folder cannot be entered: " + reason);
        return static_cast<int>(ExitCode::KitRefused);
    }
    // The run itself ends every error with its exit code; what fails around it is the
    // program's own fault too, and must not end in an abort no one sees.
    try {
        InitializeUnits();
        const ExitCode code = RunQuiet(parsed.options, out);
        FinalizeUnits();
        return static_cast<int>(code);
    } catch (const std::exception& e) {
        out.End(ExitCode::InternalError, u"internal error: " + FromUtf8(e.what()));
    } catch (...) {
        out.End(ExitCode::InternalError, u"internal error of an unknown kind");
    }
    return static_cast<int>(ExitCode::InternalError);
}

// The usage in a message box: asked for (/?), or after a command line the wizard does not
// understand, which it never ignores.
int ShowUsage(const ParsedCommandLine& parsed) {
    InstallWindowsDialogs();
    const String text = parsed.ok() ? UsageText() : parsed.error + u"\r\n\r\n" + UsageText();
    Dialogs::Get().MessageBox(text, u"ODAXPrintDrive",
                              mb::OK | (parsed.ok() ? mb::ICONINFORMATION : mb::ICONERROR));
    return static_cast<int>(parsed.ok() ? ExitCode::Done : ExitCode::Usage);
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
// bench/startup_bench.py); without it nothing is timed. Never as the system account: whoever set
// the variable would choose a file the system account writes.
std::wstring StepTimesFile() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"WIZ_STARTUP_TIMES", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || WindowsSystemInfo().IsSystemAccount()) return {};
    return std::wstring(path, n);
}

// WIZ_HIGH_CONTRAST=1 takes a high-contrast theme as on: Wine 8 answers SPI_GETHIGHCONTRAST
// with "off" whatever its colours, so the end-to-end tests say so themselves.
bool HighContrastForced() {
    static const bool forced = [] {
        wchar_t value[4];
        const DWORD n = GetEnvironmentVariableW(L"WIZ_HIGH_CONTRAST", value, 4);
        return n == 1 && value[0] == L'1';
    }();
    return forced;
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
    // Not through a link: the file itself is replaced, never one it points at.
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return;
    const Handle out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
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

    StringList args = SplitCommandLine(FromWide(GetCommandLineW()));
    if (!args.empty()) args.erase(args.begin()); // the program's own name
    const ParsedCommandLine parsed = ParseCommandLine(args);
    // With no one to click a usage box (session 0, a service, the system account), a command
    // line that is not understood is answered as the quiet mode answers it.
    if (parsed.options.quiet || (!parsed.ok() && !SystemInfo::Get().HasInteractiveDesktop()))
        return RunUnattended(parsed);
    if (!parsed.ok() || parsed.options.help) return ShowUsage(parsed);

    InstallWindowsDialogs();
    InstallWin32Backend({&SetApplicationWindow, &QuitRequested, &HighContrastForced});
    SetMessageFilter(&Win32FilterMessage);

    String reason;
    if (!EnterProgramFolder(reason)) {
        ui::ShowStandardErrorBox(reason);
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
