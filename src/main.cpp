// The program entry: wires the Windows services and window backend to the wizard and runs
// the message loop.
#include <windows.h>

#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Processes.h"
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

// No message box may wait for a user in the quiet mode; should any unit still show one, its
// text goes to the output and it is answered as a question that changes nothing.
class QuietDialogs final : public IDialogs {
  public:
    explicit QuietDialogs(IQuietOutput& out) : out_(out) {}
    int MessageBox(const String& text, const String&, std::uint32_t flags) override {
        out_.Line(text);
        return (flags & 0xF) == mb::YESNO ? mb::ID_NO : mb::ID_OK;
    }
    void ShellOpen(const String&) override {}

  private:
    IQuietOutput& out_;
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
    ConsoleOutput out;
    QuietDialogs dialogs(out);
    Dialogs::Install(&dialogs);
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
    InitializeUnits();
    const ExitCode code = RunQuiet(parsed.options, out);
    FinalizeUnits();
    return static_cast<int>(code);
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

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LoadLibrariesFromSystemFolderOnly();
    InstallWindowsServices();

    StringList args = SplitCommandLine(FromWide(GetCommandLineW()));
    if (!args.empty()) args.erase(args.begin()); // the program's own name
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (parsed.options.quiet) return RunUnattended(parsed);
    if (!parsed.ok() || parsed.options.help) return ShowUsage(parsed);

    InstallWindowsDialogs();
    InstallWin32Backend({&SetApplicationWindow, &QuitRequested});
    SetMessageFilter(&Win32FilterMessage);

    String reason;
    if (!EnterProgramFolder(reason)) {
        ui::ShowStandardErrorBox(reason);
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
