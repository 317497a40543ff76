#include "printing/untSystemPrinterInfo.h"

#include <memory>

#include "base/Errors.h"
#include "platform/Processes.h"
#include "platform/Profile.h"
#include "platform/Spooler.h"

TSystemPrinterInfo* SysPrint = nullptr;

void CreateSysPrint() {
    if (!SysPrint) SysPrint = new TSystemPrinterInfo();
}

void FreeSysPrint() {
    delete SysPrint;
    SysPrint = nullptr;
}

void RaiseLastOSError(std::uint32_t code) {
    if (code == 0) throw EOSError(u"A call to an OS function failed", 0);
    throw EOSError(u"System Error.  Code: " + IntToStr(code) + u".\r\n" + SysErrorMessage(code),
                   code);
}

StringList TSystemPrinterInfo::GetSystemPrintPortList() {
    ISpooler& spooler = Spooler::Get();
    std::uint32_t needed = 0;
    StringList names;
    if (spooler.ListPorts(0, needed, names)) return {};
    if (spooler.LastError() != kErrorInsufficientBuffer) RaiseLastOSError(spooler.LastError());
    std::uint32_t again = 0;
    if (!spooler.ListPorts(needed, again, names)) RaiseLastOSError(spooler.LastError());
    return names;
}

const StringList& TSystemPrinterInfo::GetSystemPrintList() {
    FPrinters = Spooler::Get().ListPrinters();
    return FPrinters;
}

String TSystemPrinterInfo::GetMRPrint() {
    char16_t buffer[257] = {};
    const std::uint32_t n =
        Profile::Get().GetProfileStringW(String(u"windows"), String(u"device"), String(), buffer, 257);
    const String s(buffer, n);
    if (s.size() <= 2) {
        FMrPrinter.clear();
        return FMrPrinter;
    }
    const size_t comma = s.find(u',', 1);
    const String name = comma == String::npos ? String() : s.substr(0, comma);
    FMrPrinter = Spooler::Get().CanOpenPrinter(name) ? name : String();
    return FMrPrinter;
}

void TSystemPrinterInfo::SetMRPrint(const String& name) {
    // The name is used as given: a model name may well contain the letters "on".
    char16_t entry[2048] = {};
    IProfile& profile = Profile::Get();
    const std::uint32_t n = profile.GetPrivateProfileStringW(String(u"Devices"), name, String(),
                                                             entry, 2048, u"win.ini");
    const String device = name + u"," + String(entry, n);
    if (!profile.WritePrivateProfileStringW(String(u"windows"), String(u"device"), device,
                                            u"win.ini"))
        throw EIniFileException(u"Unable to write to win.ini");
    profile.WritePrivateProfileStringW(std::nullopt, std::nullopt, std::nullopt, u"win.ini");
}
