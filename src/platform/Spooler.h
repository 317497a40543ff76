#pragma once
#include <cstdint>

#include "base/Text.h"
#include "platform/Service.h"

// A printer as the spooler holds it.
struct PrinterSetup {
    bool exists = false;
    String port;   // the port name, or several separated by commas for a pooled printer
    String driver; // the driver's name
};

// The printing subsystem (winspool) of the local machine.
class ISpooler {
public:
    virtual ~ISpooler() = default;
    // EnumPortsW at level 1 with a buffer of `bufferSize` bytes: true with every port name in
    // `names`; false with the bytes needed in `bytesNeeded` and the reason in LastError()
    // (122, ERROR_INSUFFICIENT_BUFFER, when the buffer is too small).
    virtual bool ListPorts(std::uint32_t bufferSize, std::uint32_t& bytesNeeded,
                           StringList& names) = 0;
    virtual std::uint32_t LastError() = 0;
    // Names of the local printers and printer connections (EnumPrintersW, level 4).
    virtual StringList ListPrinters() = 0;
    // True when a printer of that name can be opened (OpenPrinterW).
    virtual bool CanOpenPrinter(const String& name) = 0;
    // The printer of that name read back (GetPrinterW, level 2); `exists` is false when it
    // cannot be opened. An empty name is never a printer (it would open the print server).
    virtual PrinterSetup ReadPrinter(const String& name) = 0;
};
using Spooler = Service<ISpooler>;

constexpr std::uint32_t kErrorInsufficientBuffer = 122;
