#include "UsbPrinterList.h"

#include <cstring>

namespace usblib {

namespace {

bool IsAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (AsciiUpper(text[i]) != AsciiUpper(prefix[i])) return false;
    return true;
}

// Exactly four hex digits, upper-cased.
std::optional<std::string> FourHexDigits(std::string_view digits) {
    if (digits.size() != 4) return std::nullopt;
    std::string out;
    for (char c : digits) {
        if (HexValue(c) < 0) return std::nullopt;
        out += AsciiUpper(c);
    }
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsFieldSeparator(char c) {
    return IsBlank(c) || c == ',';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Takes the next field off the front of `rest`; separators around it are dropped.
std::string_view NextField(std::string_view& rest) {
    while (!rest.empty() && IsFieldSeparator(rest.front()))
        rest.remove_prefix(1);
    std::size_t end = 0;
    while (end < rest.size() && !IsFieldSeparator(rest[end]))
        ++end;
    std::string_view field = rest.substr(0, end);
    rest.remove_prefix(end);
    while (!rest.empty() && IsFieldSeparator(rest.front()))
        rest.remove_prefix(1);
    return field;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

} // namespace

bool IsPortName(std::string_view name) {
    if (name.size() != 6) return false;
    for (char c : name)
        if (!IsAsciiAlnum(c)) return false;
    // The wizard takes an entry's identifiers from its first "VID" and "PID": in the port
    // name they would be read instead of the real ones.
    return name.find("VID") == std::string_view::npos && name.find("PID") == std::string_view::npos;
}

std::optional<std::string> ParseHexId(std::string_view text, std::string_view prefix) {
    if (StartsWithNoCase(text, prefix)) text.remove_prefix(prefix.size());
    return FourHexDigits(text);
}

std::optional<UsbIds> ParseDevicePath(std::string_view path) {
    for (std::string_view part : Split(path, '#')) {
        std::optional<std::string> vid, pid;
        for (std::string_view token : Split(part, '&')) {
            if (!vid && StartsWithNoCase(token, "vid_")) vid = FourHexDigits(token.substr(4));
            if (!pid && StartsWithNoCase(token, "pid_")) pid = FourHexDigits(token.substr(4));
        }
        if (vid && pid) return UsbIds{*vid, *pid};
    }
    return std::nullopt;
}

SimulationFile ParseSimulationFile(std::string_view text) {
    SimulationFile result;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    int lineNo = 0;
    for (std::string_view raw : Split(text, '\n')) {
        ++lineNo;
        std::string_view line = TrimBlanks(raw);
        if (line.empty() || line.front() == '#') continue;
        auto problem = [&](const std::string& why) {
            result.problems.push_back("line " + std::to_string(lineNo) + ": " + why);
        };
        std::string_view rest = line;
        std::string_view port = NextField(rest);
        std::string_view vidText = NextField(rest);
        std::string_view pidText = NextField(rest);
        if (!IsPortName(port)) {
            problem("port name must be six letters or digits, like USB001");
            continue;
        }
        std::optional<std::string> vid = ParseHexId(vidText, "VID_");
        std::optional<std::string> pid = ParseHexId(pidText, "PID_");
        if (!vid || !pid) {
            problem("VID and PID must be four hex digits each, like 1A2B or VID_1A2B");
            continue;
        }
        bool duplicate = false;
        for (const UsbPrinter& p : result.printers)
            duplicate = duplicate || p.port == port;
        if (duplicate) {
            problem("port " + std::string(port) + " is listed already");
            continue;
        }
        result.printers.push_back({std::string(port), *vid, *pid, std::string(TrimBlanks(rest))});
    }
    return result;
}

std::string NameListEntry(const UsbPrinter& printer) {
    return printer.port + ",VID_" + printer.vid + ",PID_" + printer.pid;
}

std::string IdentifierEntry(const UsbPrinter& printer) {
    return "VID_" + printer.vid + "&PID_" + printer.pid;
}

int WriteEntries(const std::vector<std::string>& entries, char separator, char* out,
                 std::size_t capacity) {
    if (out == nullptr || capacity == 0) return 0;
    std::size_t used = 0;
    int count = 0;
    for (const std::string& entry : entries) {
        // An empty entry, or one holding the separator or a zero, would change how many
        // entries the reader sees; such an entry is not ours to write.
        if (entry.empty() || entry.find(separator) != std::string::npos ||
            entry.find('\0') != std::string::npos)
            continue;
        std::size_t need = (count > 0 ? 1 : 0) + entry.size();
        if (used + need + 1 > capacity) break;
        if (count > 0) out[used++] = separator;
        std::memcpy(out + used, entry.data(), entry.size());
        used += entry.size();
        ++count;
    }
    out[used] = '\0';
    return count;
}

const char* StatusText(unsigned char status) {
    if (status & 0x20) return "PAPER OUT";
    if (!(status & 0x10)) return "OFFLINE";
    if (!(status & 0x08)) return "ERROR";
    return "READY";
}

} // namespace usblib
