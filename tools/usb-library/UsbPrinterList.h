#pragma once
// The portable half of USBPrinterlibary.dll: what a printer is, how the simulation file reads,
// how identifiers come out of a device path and how the answer texts are laid out in the
// caller's fixed buffers. No <windows.h> here, so all of it is tested on Linux.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace usblib {

// The file that, lying beside the DLL, replaces the device search (format in the README).
inline constexpr const char* kSimulationFileName = "USBPrinterlibary.sim.txt";

// The caller's answer buffer for the list entry points is 255 bytes and its size is not passed.
inline constexpr std::size_t kAnswerBufferSize = 255;

struct UsbPrinter {
    std::string port;        // system port name, six characters, e.g. USB001
    std::string vid;         // four upper-case hex digits, e.g. 1A2B
    std::string pid;         // four upper-case hex digits
    std::string description; // serial number or free text; may be empty
};

struct UsbIds {
    std::string vid;
    std::string pid;
};

// A port name the wizard can use: it reads exactly the first six characters of an entry.
// Letters and digits only, and neither "VID" nor "PID" in it, so an entry can never be split
// or misread by the name itself.
bool IsPortName(std::string_view name);

// Reads "1A2B", "1a2b", "VID_1A2B" or "vid_1a2b" (prefix as given) into "1A2B".
std::optional<std::string> ParseHexId(std::string_view text, std::string_view prefix);

// VID and PID of a device interface path such as
// \\?\usb#vid_1a2b&pid_3c4d#serial#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}: the first
// '#'-separated part holding both a vid_xxxx and a pid_xxxx token ('&'-separated).
std::optional<UsbIds> ParseDevicePath(std::string_view path);

struct SimulationFile {
    std::vector<UsbPrinter> printers;
    std::vector<std::string> problems; // "line N: why", one per line that was left out
};

// Parses the simulation file's bytes (UTF-8 or ASCII). Lines that do not read are left out
// and named in `problems`; they never stop the rest of the file from counting.
SimulationFile ParseSimulationFile(std::string_view text);

// "USB001,VID_1A2B,PID_3C4D": port first, then the identifiers as the model list writes them.
std::string NameListEntry(const UsbPrinter& printer);
// "VID_1A2B&PID_3C4D"
std::string IdentifierEntry(const UsbPrinter& printer);

// Writes as many entries as fit, in order, separated by `separator`, into `out`, always
// followed by a zero byte, never touching more than `capacity` bytes and never any byte after
// the terminating zero. The first entry that does not fit ends the list: entries are never cut.
// Returns how many entries were written. With capacity 0 nothing is written.
int WriteEntries(const std::vector<std::string>& entries, char separator, char* out,
                 std::size_t capacity);

// A short text for the one-byte printer status of a USB printer (the parallel-port status
// bits: 0x08 no error, 0x10 selected, 0x20 paper empty).
const char* StatusText(unsigned char status);

} // namespace usblib
