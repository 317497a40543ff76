#pragma once
// Where the library's printers come from: the simulation file beside the DLL when there is
// one, the system's USB printer interfaces otherwise.
#include <string>
#include <vector>

#include "UsbPrinterList.h"

namespace usblib {

struct FoundPrinter {
    UsbPrinter info;
    // What OpenPrinterPort opens: the device interface path of a real printer, or the capture
    // file beside the DLL that stands for a simulated one.
    std::wstring openPath;
    bool simulated = false;
};

struct PrinterSearch {
    bool ok = false; // false: the simulation file could not be read or the device search failed
    std::vector<FoundPrinter> printers;
};

PrinterSearch FindPrinters();

} // namespace usblib
