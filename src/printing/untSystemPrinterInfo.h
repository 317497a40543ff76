#pragma once
// The system's printer ports, printers and default printer.
#include "base/Text.h"

class TSystemPrinterInfo {
public:
    // Makes the named printer the default printer (the [windows] "device" entry of win.ini).
    void SetMRPrint(const String& name);
    // Names of all printer ports, in the order the system reports them.
    StringList GetSystemPrintPortList();
    // The default printer's name when a printer of that name can be opened, else empty.
    String GetMRPrint();
    // Names of all installed printers; the list is this object's and replaced at each call.
    const StringList& GetSystemPrintList();

private:
    String FMrPrinter;
    StringList FPrinters;
};

extern TSystemPrinterInfo* SysPrint;
void CreateSysPrint();
void FreeSysPrint();

// The operating-system error of a failed call, in the system's words.
[[noreturn]] void RaiseLastOSError(std::uint32_t code);
