#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "platform/Spooler.h"
#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinServices.h"

namespace {

// winspool.drv is not a KnownDLL: imported by name, the loader would take a copy lying beside
// the program (a Downloads folder) before the system's, and run it as administrator. Its
// functions are bound at run time from the system folder instead.
struct Winspool {
    Module module;
    decltype(&::EnumPortsW) EnumPorts = nullptr;
    decltype(&::EnumPrintersW) EnumPrinters = nullptr;
    decltype(&::OpenPrinterW) OpenPrinter = nullptr;
    decltype(&::GetPrinterW) GetPrinter = nullptr;
    decltype(&::ClosePrinter) ClosePrinter = nullptr;
    DWORD loadError = 0;

    Winspool() : module(LoadSystemLibrary(L"winspool.drv")) {
        if (!module) {
            loadError = ::GetLastError();
            return;
        }
        HMODULE m = module.get();
        EnumPorts = ProcAddress<decltype(EnumPorts)>(m, "EnumPortsW");
        EnumPrinters = ProcAddress<decltype(EnumPrinters)>(m, "EnumPrintersW");
        OpenPrinter = ProcAddress<decltype(OpenPrinter)>(m, "OpenPrinterW");
        GetPrinter = ProcAddress<decltype(GetPrinter)>(m, "GetPrinterW");
        ClosePrinter = ProcAddress<decltype(ClosePrinter)>(m, "ClosePrinter");
        if (!EnumPorts || !EnumPrinters || !OpenPrinter || !GetPrinter || !ClosePrinter)
            loadError = ERROR_PROC_NOT_FOUND;
    }
    bool Usable() const { return loadError == 0; }
};

class WinSpooler final : public ISpooler {
  public:
    bool ListPorts(std::uint32_t bufferSize, std::uint32_t& bytesNeeded,
                   StringList& names) override {
        names.clear();
        if (!api_.Usable()) {
            lastError_ = api_.loadError;
            bytesNeeded = 0;
            return false;
        }
        std::vector<BYTE> buffer(bufferSize);
        DWORD needed = 0, returned = 0;
        if (!api_.EnumPorts(nullptr, 1, bufferSize ? buffer.data() : nullptr, bufferSize, &needed,
                            &returned)) {
            lastError_ = GetLastError();
            bytesNeeded = needed;
            return false;
        }
        const auto* ports = reinterpret_cast<const PORT_INFO_1W*>(buffer.data());
        for (DWORD i = 0; i < returned; ++i)
            names.push_back(FromWide(ports[i].pName));
        bytesNeeded = needed;
        return true;
    }

    std::uint32_t LastError() override { return lastError_; }

    StringList ListPrinters() override {
        StringList names;
        if (!api_.Usable()) return names;
        const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
        DWORD needed = 0, returned = 0;
        api_.EnumPrinters(flags, nullptr, 4, nullptr, 0, &needed, &returned);
        if (needed == 0) return names;
        std::vector<BYTE> buffer(needed);
        if (!api_.EnumPrinters(flags, nullptr, 4, buffer.data(), needed, &needed, &returned))
            return names;
        const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
        for (DWORD i = 0; i < returned; ++i)
            names.push_back(FromWide(printers[i].pPrinterName));
        return names;
    }

    bool CanOpenPrinter(const String& name) override {
        HANDLE printer = Open(name);
        if (!printer) return false;
        api_.ClosePrinter(printer);
        return true;
    }

    PrinterSetup ReadPrinter(const String& name) override {
        PrinterSetup found;
        if (name.empty()) return found;
        HANDLE printer = Open(name);
        if (!printer) return found;
        found.exists = true;
        // A printer that opens but cannot be read has no port or driver we could trust: it
        // stays with empty ones, which never match what was asked.
        DWORD needed = 0;
        api_.GetPrinter(printer, 2, nullptr, 0, &needed);
        if (needed > 0) {
            std::vector<BYTE> buffer(needed);
            if (api_.GetPrinter(printer, 2, buffer.data(), needed, &needed)) {
                const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
                if (info->pPortName) found.port = FromWide(info->pPortName);
                if (info->pDriverName) found.driver = FromWide(info->pDriverName);
            }
        }
        api_.ClosePrinter(printer);
        return found;
    }

  private:
    HANDLE Open(const String& name) {
        if (!api_.Usable()) return nullptr;
        std::wstring w(name.begin(), name.end());
        HANDLE printer = nullptr;
        if (!api_.OpenPrinter(w.data(), &printer, nullptr)) return nullptr;
        return printer;
    }

    Winspool api_;
    std::uint32_t lastError_ = 0;
};

} // namespace

ISpooler& WindowsSpooler() {
    static WinSpooler instance;
    return instance;
}
