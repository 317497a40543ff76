#include <windows.h>
#include <winspool.h>

#include <vector>

#include "platform/Spooler.h"
#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"

namespace {

class WinSpooler final : public ISpooler {
public:
    bool ListPorts(std::uint32_t bufferSize, std::uint32_t& bytesNeeded, StringList& names) override {
        names.clear();
        std::vector<BYTE> buffer(bufferSize);
        DWORD needed = 0, returned = 0;
        if (!::EnumPortsW(nullptr, 1, bufferSize ? buffer.data() : nullptr, bufferSize, &needed,
                        &returned)) {
            lastError_ = GetLastError();
            bytesNeeded = needed;
            return false;
        }
        const auto* ports = reinterpret_cast<const PORT_INFO_1W*>(buffer.data());
        for (DWORD i = 0; i < returned; ++i) names.push_back(FromWide(ports[i].pName));
        bytesNeeded = needed;
        return true;
    }

    std::uint32_t LastError() override { return lastError_; }

    StringList ListPrinters() override {
        StringList names;
        const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
        DWORD needed = 0, returned = 0;
        ::EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &returned);
        if (needed == 0) return names;
        std::vector<BYTE> buffer(needed);
        if (!::EnumPrintersW(flags, nullptr, 4, buffer.data(), needed, &needed, &returned))
            return names;
        const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
        for (DWORD i = 0; i < returned; ++i) names.push_back(FromWide(printers[i].pPrinterName));
        return names;
    }

    bool CanOpenPrinter(const String& name) override {
        std::wstring w(name.begin(), name.end());
        HANDLE printer = nullptr;
        if (!::OpenPrinterW(w.data(), &printer, nullptr)) return false;
        ::ClosePrinter(printer);
        return true;
    }

private:
    std::uint32_t lastError_ = 0;
};

} // namespace

ISpooler& WindowsSpooler() {
    static WinSpooler instance;
    return instance;
}
