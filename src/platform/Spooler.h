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

// A print job handed to the spooler: its number, or 0 with the system's text of why not.
struct SentJob {
    std::uint32_t id = 0;
    String error;
};

// Where a job stands as the spooler reports it.
struct JobState {
    enum Kind { Queued, Printed, Failed } kind = Queued;
    String status; // the spooler's status text of a failed job, else empty
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

    // The bytes as one job of datatype RAW (OpenPrinterW, StartDocPrinterW, WritePrinter): the
    // printer receives them unchanged.
    virtual SentJob SendRawJob(const String& printer, const String& document,
                               const std::string& bytes) = 0;
    // One page of text lines drawn through the printer's own driver (CreateDCW, StartDocW),
    // for printers whose command language only their driver speaks.
    virtual SentJob PrintTextPage(const String& printer, const String& document,
                                  const StringList& lines) = 0;
    // The job read back (GetJobW, level 1). A job the spooler no longer holds has left the
    // queue for the printer: it counts as printed.
    virtual JobState ReadJob(const String& printer, std::uint32_t id) = 0;
};
using Spooler = Service<ISpooler>;

constexpr std::uint32_t kErrorInsufficientBuffer = 122;
