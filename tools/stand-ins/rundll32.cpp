// rundll32.exe stand-in, the system's rundll32.exe of the test prefix: records its command
// line, then
//   printui.dll,PrintUIEntry /if /b "<queue>" /f "<inf>" /r "<port>" /m "<model>"
//     installs the model's driver (Wine's PostScript driver under the model's name) and the
//     queue on the port, when the INF file exists and names the model and no printer of that
//     name exists; exit 0. Otherwise it creates nothing and exits non-zero, saying why on
//     standard error.
//   printui.dll,PrintUIEntry /dd /m "<model>" ...
//     deletes the printers using that driver and the driver; exit 0.
//   printui.dll,PrintUIEntry /dl /n "<printer>" ...
//     deletes that printer (not its driver); exit 0, or non-zero when there is none.
// Anything else is refused with exit 1 (see the end of wmain).
// With WIZ_SETUP_HANGS naming a file, /if never ends instead: it starts a second process that
// never ends either, writes both process ids into the file, and waits, as a driver package
// whose installer hangs would (the caller's time limit must end both).
#include "StandIn.h"

#include <winspool.h>

#include <vector>

#include "platform/windows/ErrorText.h"

namespace {

using standin::PrintUiCall;
using standin::Report;
using standin::Text;

enum Exit : int {
    kDone = 0,
    kBadArguments = 2,
    kNoInf = 3,
    kModelNotNamed = 4,
    kDriverFailed = 5,
    kPrinterFailed = 6,
    kUnknownPort = 7
};

// The system's text for an error code on one line, or its number when the system has none.
std::wstring SystemText(DWORD code) {
    const String text = TrimRight(WindowsErrorText(code));
    return text.empty() ? L"error " + std::to_wstring(code) : ToWide(text);
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    const Handle f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    char buffer[64 * 1024];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(f.get(), buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0)
        bytes.append(buffer, got);
    return ok;
}

Text FromAnsi(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), n);
    return Text(w.begin(), w.end());
}

// Windows refuses a printer on a port that does not exist; this Wine accepts any name, so
// the stand-in checks as Windows would. A port exists when the spooler lists it, when the
// Standard TCP/IP port monitor has its key (the monitor would load it at the spooler's
// start), or when it is listed in the file WIZ_SIMULATED_PORTS names (one name a line: ports
// a test simulates, such as USB001).
bool PortExists(const std::wstring& port) {
    if (port.empty()) return false;
    DWORD needed = 0, count = 0;
    EnumPortsW(nullptr, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (EnumPortsW(nullptr, 1, buffer.data(), needed, &needed, &count)) {
        const auto* info = reinterpret_cast<const PORT_INFO_1W*>(buffer.data());
        for (DWORD i = 0; i < count; ++i)
            if (info[i].pName && lstrcmpiW(info[i].pName, port.c_str()) == 0) return true;
    }
    const std::wstring key =
        L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\" +
        port;
    RegKey h;
    if (port.find(L'\\') == std::wstring::npos &&
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, h.put()) == ERROR_SUCCESS)
        return true;
    wchar_t simulated[MAX_PATH * 4];
    const DWORD n = GetEnvironmentVariableW(L"WIZ_SIMULATED_PORTS", simulated, MAX_PATH * 4);
    std::string listed;
    if (n > 0 && n < MAX_PATH * 4 && ReadWholeFile(simulated, listed)) {
        for (const Text& line : standin::Lines(standin::DecodeInf(listed, FromAnsi)))
            if (ToWide(line) == port) return true;
    }
    return false;
}

int Install(const PrintUiCall& call) {
    const std::wstring queue = ToWide(call.Value(u'b').value_or(Text()));
    const std::wstring inf = ToWide(call.Value(u'f').value_or(Text()));
    const std::wstring port = ToWide(call.Value(u'r').value_or(Text()));
    const Text model = call.Value(u'm').value_or(Text());
    if (!call.error.empty()) {
        Report(L"printui: " + ToWide(call.error));
        return kBadArguments;
    }
    if (queue.empty() || model.empty()) {
        Report(L"printui: the queue (/b) and the model (/m) must not be empty");
        return kBadArguments;
    }
    std::string bytes;
    if (inf.empty() || !ReadWholeFile(inf, bytes)) {
        Report(L"printui: cannot read the INF file \"" + inf + L"\"");
        return kNoInf;
    }
    if (!standin::NamesModel(standin::DecodeInf(bytes, FromAnsi), model)) {
        Report(L"printui: the INF file does not name the model \"" + ToWide(model) + L"\"");
        return kModelNotNamed;
    }

    if (!PortExists(port)) {
        Report(L"printui: the port \"" + port + L"\" does not exist");
        return kUnknownPort;
    }
    // Windows refuses a second printer of the same name (ERROR_PRINTER_ALREADY_EXISTS); this
    // Wine accepts it and changes the existing printer, so the stand-in refuses as Windows would.
    {
        std::wstring name = queue;
        HANDLE existing = nullptr;
        if (OpenPrinterW(name.data(), &existing, nullptr)) {
            ClosePrinter(existing);
            Report(L"printui: a printer named \"" + queue + L"\" already exists");
            return kPrinterFailed;
        }
    }

    std::wstring driverName = ToWide(model);
    wchar_t wineps[] = L"wineps.drv";
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = driverName.data();
    driver.pDriverPath = wineps;
    driver.pDataFile = wineps;
    driver.pConfigFile = wineps;
    bool driverAdded = true;
    if (!AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&driver))) {
        const DWORD error = GetLastError();
        if (error != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
            Report(L"printui: cannot add the driver: " + SystemText(error));
            return kDriverFailed;
        }
        driverAdded = false;
    }

    std::wstring printerName = queue, portName = port;
    wchar_t processor[] = L"WinPrint", datatype[] = L"RAW";
    PRINTER_INFO_2W printer{};
    printer.pPrinterName = printerName.data();
    printer.pPortName = portName.data();
    printer.pDriverName = driverName.data();
    printer.pPrintProcessor = processor;
    printer.pDatatype = datatype;
    printer.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE h = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
    if (!h) {
        const DWORD error = GetLastError();
        // Nothing stays behind from a failed installation.
        if (driverAdded) DeletePrinterDriverW(nullptr, nullptr, driverName.data());
        Report(L"printui: cannot add the printer \"" + queue + L"\" on port \"" + port + L"\": " +
               SystemText(error));
        return kPrinterFailed;
    }
    ClosePrinter(h);
    return kDone;
}

int DeleteDriver(const PrintUiCall& call) {
    std::wstring model = ToWide(call.Value(u'm').value_or(Text()));
    if (model.empty()) {
        Report(L"printui: /dd needs the model (/m)");
        return kBadArguments;
    }
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) {
        const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
        for (DWORD i = 0; i < count; ++i) {
            if (!info[i].pDriverName || lstrcmpiW(info[i].pDriverName, model.c_str()) != 0)
                continue;
            PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
            HANDLE h = nullptr;
            if (OpenPrinterW(info[i].pPrinterName, &h, &access)) {
                if (!DeletePrinter(h))
                    Report(L"printui: cannot delete the printer \"" +
                           std::wstring(info[i].pPrinterName) + L"\": " +
                           SystemText(GetLastError()));
                ClosePrinter(h);
            }
        }
    }
    if (!DeletePrinterDriverW(nullptr, nullptr, model.data())) {
        const DWORD error = GetLastError();
        if (error != ERROR_UNKNOWN_PRINTER_DRIVER) {
            Report(L"printui: cannot delete the driver \"" + model + L"\": " + SystemText(error));
            return kDriverFailed;
        }
    }
    return kDone;
}

int DeletePrinterNamed(const PrintUiCall& call) {
    std::wstring name = ToWide(call.Value(u'n').value_or(Text()));
    if (name.empty()) {
        Report(L"printui: /dl needs the printer (/n)");
        return kBadArguments;
    }
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE h = nullptr;
    if (!OpenPrinterW(name.data(), &h, &access)) {
        Report(L"printui: no printer \"" + name + L"\": " + SystemText(GetLastError()));
        return kPrinterFailed;
    }
    const bool deleted = DeletePrinter(h) != FALSE;
    const DWORD error = GetLastError();
    ClosePrinter(h);
    if (!deleted) {
        Report(L"printui: cannot delete the printer \"" + name + L"\": " + SystemText(error));
        return kPrinterFailed;
    }
    return kDone;
}

// The hanging installer and the process it started: their ids in the file, then no end.
[[noreturn]] void Hang(const std::wstring& file) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" /standin-hold";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string ids = std::to_string(GetCurrentProcessId());
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &si, &pi)) {
        ids += " " + std::to_string(pi.dwProcessId);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    ids += "\n";
    HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(out, ids.data(), static_cast<DWORD>(ids.size()), &written, nullptr);
    CloseHandle(out);
    for (;;)
        Sleep(INFINITE);
}

} // namespace

int wmain() {
    // The second process of a hanging installer: never recorded, never ending.
    if (wcsstr(GetCommandLineW(), L" /standin-hold")) {
        for (;;)
            Sleep(INFINITE);
    }
    standin::RecordCommandLine();
    const auto call = standin::ParsePrintUi(standin::ArgumentTail(FromWide(GetCommandLineW())));
    wchar_t hangs[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"WIZ_SETUP_HANGS", hangs, MAX_PATH);
    if (call && call->Has(u"if") && n > 0 && n < MAX_PATH) Hang(hangs);
    if (call && call->Has(u"if")) return Install(*call);
    if (call && call->Has(u"dd")) return DeleteDriver(*call);
    if (call && call->Has(u"dl")) return DeletePrinterNamed(*call);
    // Wine decides builtin or native for a started program by the starting process's
    // overrides, which name this file native: starting rundll32 again would start this
    // stand-in again, endlessly.
    Report(L"rundll32 stand-in: only printui.dll,PrintUIEntry /if, /dd and /dl are carried out; "
           L"Wine's own rundll32 cannot be started from here");
    return 1;
}
