// USBPrinterlibary.dll: the USB printer library the wizard binds at start-up. Nine stdcall
// entry points, exported under their plain names by USBPrinterlibary.def. Texts are 8-bit
// ASCII; "int" is a signed 32-bit integer and "bool" one byte, as the wizard declares them.
//
// The functions are not marked for export: the .def file alone names them, so the 32-bit
// build exports the plain names and never the decorated "Name@8" forms.
//
// Contracts, per entry point (none of them throws, crashes or writes through a NULL pointer):
//
// GetUSBPortNameList(char* buffer, int* count) -> bool
//   The connected printers as "USB001,VID_1A2B,PID_3C4D" entries separated by ';'. The buffer
//   must hold 255 bytes (its size is not passed); at most 255 bytes are written, the text is
//   always zero-terminated, nothing after the zero is touched, and an entry that does not fit
//   is left out whole together with all after it. *count receives the number of entries
//   written. true: the search ran (also when it found nothing); false: a NULL argument, an
//   unreadable simulation file or a failed device search, with an empty text and count 0
//   wherever a pointer allows it.
// GetUSBPortList(char* buffer, int* count) -> bool
//   The same with the port names only ("USB001;USB002").
// GetUSBPort(char* buffer) -> bool
//   The first printer's port name (a 255-byte buffer as above). false when there is none.
// GetPrinterVIDList(char* buffer, int size) -> int
//   "VID_1A2B&PID_3C4D" entries separated by ';' into a buffer of `size` bytes, under the same
//   rules. Returns the number of entries written, -1 for a NULL buffer, a size below 1 or a
//   failed search.
// GetPrinterLibVersion(int* version) -> int
//   The library version major*100 + minor*10 + patch of the project version (1.0.0 -> 100),
//   written to *version when it is not NULL and returned as well.
// OpenPrinterPort() -> int
//   Opens the first printer for writing: a real printer's device interface, or for a
//   simulated one the capture file USBPrinterlibary.<port>.out beside the DLL, to which
//   everything sent is appended. 1 on success or when a port is open already, 0 otherwise.
// SendPrinterData(char* data, int length) -> int
//   Writes `length` bytes to the open port. Returns the number of bytes the printer took
//   (fewer when it stopped taking data within 10 seconds), 0 for length 0, -1 when no port is
//   open, the data pointer is NULL or the length negative, or nothing could be written.
// GetPrinterStatus(char* buffer, int* status) -> int
//   The open printer's one-byte status (0x08 no error, 0x10 selected, 0x20 paper empty; a
//   simulated printer always reports 0x18) into *status, and a short text for it ("READY",
//   "OFFLINE", "ERROR", "PAPER OUT") into the buffer (255 bytes) when it is not NULL.
//   1 on success; 0 when no port is open or the printer does not answer (status 0, text "").
// ClosePrinterPort() -> int
//   Closes the open port. 1 when one was open, 0 otherwise.
#include <windows.h>

#include <winioctl.h>

#include <usbprint.h>

#include <cstring>

#include "UsbDevices.h"
#include "UsbPrinterList.h"
#include "platform/windows/Handles.h"
#include "version.h"

static_assert(WIZ_VERSION_MINOR < 10 && WIZ_VERSION_PATCH < 10,
              "the library version packs minor and patch into one decimal digit each");

namespace {

constexpr int kLibraryVersion =
    WIZ_VERSION_MAJOR * 100 + WIZ_VERSION_MINOR * 10 + WIZ_VERSION_PATCH;
constexpr DWORD kIoTimeoutMs = 10000;
constexpr unsigned char kSimulatedStatus = 0x18;

// The one open port. The entry points may be called from any thread.
SRWLOCK portLock = SRWLOCK_INIT;
Handle openPort;
bool openPortSimulated = false;

class PortGuard {
  public:
    PortGuard() { AcquireSRWLockExclusive(&portLock); }
    ~PortGuard() { ReleaseSRWLockExclusive(&portLock); }
    PortGuard(const PortGuard&) = delete;
    PortGuard& operator=(const PortGuard&) = delete;
};

// No exception may cross into the caller, which knows nothing of C++: the ABI boundary is
// the one place where everything is caught, and the entry point answers with its failure.
template <class R, class Body> R Guarded(R failure, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

void ClearText(char* buffer) {
    if (buffer) buffer[0] = '\0';
}

// Runs one overlapped request on the open port and waits for it at most kIoTimeoutMs;
// a request that does not finish in time is cancelled. Returns the bytes transferred, or
// -1 when nothing was transferred because of an error.
template <class Start> long long RunIo(HANDLE port, Start start) {
    Handle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event) return -1;
    OVERLAPPED io{};
    // Writes go to the end of a capture file; devices ignore the offset.
    io.Offset = io.OffsetHigh = 0xFFFFFFFF;
    io.hEvent = event.get();
    if (!start(&io) && GetLastError() != ERROR_IO_PENDING) return -1;
    DWORD done = 0;
    if (WaitForSingleObject(event.get(), kIoTimeoutMs) != WAIT_OBJECT_0) {
        CancelIoEx(port, &io);
        GetOverlappedResult(port, &io, &done, TRUE);
        return done > 0 ? static_cast<long long>(done) : -1LL;
    }
    if (!GetOverlappedResult(port, &io, &done, FALSE) && done == 0) return -1;
    return static_cast<long long>(done);
}

// Fills a 255-byte (or `capacity`-byte) buffer from the printers the search found.
template <class MakeEntry>
int WriteList(const usblib::PrinterSearch& search, MakeEntry makeEntry, char separator,
              char* buffer, std::size_t capacity) {
    std::vector<std::string> entries;
    for (const usblib::FoundPrinter& printer : search.printers)
        entries.push_back(makeEntry(printer.info));
    return usblib::WriteEntries(entries, separator, buffer, capacity);
}

template <class MakeEntry>
bool ListPrinters(char* buffer, int* count, MakeEntry makeEntry, char separator) {
    ClearText(buffer);
    if (count) *count = 0;
    if (!buffer || !count) return false;
    usblib::PrinterSearch search = usblib::FindPrinters();
    if (!search.ok) return false;
    *count = WriteList(search, makeEntry, separator, buffer, usblib::kAnswerBufferSize);
    return true;
}

} // namespace

extern "C" {

bool __stdcall GetUSBPortNameList(char* buffer, int* count) {
    return Guarded(false, [&] { return ListPrinters(buffer, count, usblib::NameListEntry, ';'); });
}

bool __stdcall GetUSBPortList(char* buffer, int* count) {
    return Guarded(false, [&] {
        return ListPrinters(
            buffer, count, [](const usblib::UsbPrinter& p) { return p.port; }, ';');
    });
}

bool __stdcall GetUSBPort(char* buffer) {
    return Guarded(false, [&] {
        ClearText(buffer);
        if (!buffer) return false;
        usblib::PrinterSearch search = usblib::FindPrinters();
        if (!search.ok || search.printers.empty()) return false;
        return usblib::WriteEntries({search.printers.front().info.port}, ';', buffer,
                                    usblib::kAnswerBufferSize) == 1;
    });
}

int __stdcall GetPrinterVIDList(char* buffer, int size) {
    return Guarded(-1, [&] {
        if (!buffer || size < 1) return -1;
        buffer[0] = '\0';
        usblib::PrinterSearch search = usblib::FindPrinters();
        if (!search.ok) return -1;
        return WriteList(search, usblib::IdentifierEntry, ';', buffer,
                         static_cast<std::size_t>(size));
    });
}

int __stdcall GetPrinterLibVersion(int* version) {
    if (version) *version = kLibraryVersion;
    return kLibraryVersion;
}

int __stdcall OpenPrinterPort() {
    return Guarded(0, [] {
        PortGuard guard;
        if (openPort) return 1;
        usblib::PrinterSearch search = usblib::FindPrinters();
        if (!search.ok || search.printers.empty()) return 0;
        const usblib::FoundPrinter& first = search.printers.front();
        Handle port(CreateFileW(first.openPath.c_str(),
                                first.simulated ? GENERIC_WRITE : GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                first.simulated ? OPEN_ALWAYS : OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr));
        if (!port) return 0;
        openPort = std::move(port);
        openPortSimulated = first.simulated;
        return 1;
    });
}

int __stdcall SendPrinterData(char* data, int length) {
    return Guarded(-1, [&] {
        if (!data || length < 0) return -1;
        PortGuard guard;
        if (!openPort) return -1;
        if (length == 0) return 0;
        HANDLE port = openPort.get();
        long long sent = RunIo(port, [&](OVERLAPPED* io) {
            return WriteFile(port, data, static_cast<DWORD>(length), nullptr, io);
        });
        return static_cast<int>(sent);
    });
}

int __stdcall GetPrinterStatus(char* buffer, int* status) {
    return Guarded(0, [&] {
        ClearText(buffer);
        if (status) *status = 0;
        PortGuard guard;
        if (!openPort) return 0;
        unsigned char value = kSimulatedStatus;
        if (!openPortSimulated) {
            HANDLE port = openPort.get();
            if (RunIo(port, [&](OVERLAPPED* io) {
                    return DeviceIoControl(port, IOCTL_USBPRINT_GET_LPT_STATUS, nullptr, 0, &value,
                                           sizeof value, nullptr, io);
                }) != 1)
                return 0;
        }
        if (status) *status = value;
        if (buffer) std::strcpy(buffer, usblib::StatusText(value));
        return 1;
    });
}

int __stdcall ClosePrinterPort() {
    return Guarded(0, [] {
        PortGuard guard;
        if (!openPort) return 0;
        openPort.reset();
        return 1;
    });
}

} // extern "C"
