#include "Spooler.h"

#include <windows.h>
#include <winspool.h>

#include "Inspect.h"
#include "platform/windows/ErrorText.h"

namespace {

std::wstring Str(const wchar_t* s) {
    return s ? s : L"";
}

} // namespace

std::vector<PrinterEntry> LocalPrinters() {
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count))
        throw DriverError("cannot list printers: " + ToUtf8(WindowsErrorText(GetLastError())));
    std::vector<PrinterEntry> out;
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        out.push_back(
            {Str(info[i].pPrinterName), Str(info[i].pPortName), Str(info[i].pDriverName)});
    return out;
}

std::vector<std::wstring> PrinterDrivers() {
    DWORD needed = 0, count = 0;
    EnumPrinterDriversW(nullptr, nullptr, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!EnumPrinterDriversW(nullptr, nullptr, 1, buffer.data(), needed, &needed, &count))
        throw DriverError("cannot list printer drivers: " +
                          ToUtf8(WindowsErrorText(GetLastError())));
    std::vector<std::wstring> out;
    const auto* info = reinterpret_cast<const DRIVER_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        out.push_back(Str(info[i].pName));
    return out;
}

std::vector<std::wstring> PortNames() {
    DWORD needed = 0, count = 0;
    EnumPortsW(nullptr, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!EnumPortsW(nullptr, 1, buffer.data(), needed, &needed, &count))
        throw DriverError("cannot list ports: " + ToUtf8(WindowsErrorText(GetLastError())));
    std::vector<std::wstring> out;
    const auto* info = reinterpret_cast<const PORT_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        out.push_back(Str(info[i].pName));
    return out;
}
