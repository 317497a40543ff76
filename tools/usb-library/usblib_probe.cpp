// usblib-probe [DLL]: loads the USB printer library as the wizard does (LoadLibraryW, then
// GetProcAddress by name; default .\USBPrinterlibary.dll), calls every entry point and prints
// one JSON object per line on stdout. The list calls get a buffer larger than the library may
// use, filled with a canary byte, so the output tells how far the library wrote.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/windows/Handles.h"

namespace {

using StatusFn = int(__stdcall*)(char*, int*);
using VoidFn = int(__stdcall*)();
using SendFn = int(__stdcall*)(char*, int);
using PortFn = bool(__stdcall*)(char*);
using ListFn = bool(__stdcall*)(char*, int*);
using VersionFn = int(__stdcall*)(int*);
using VidListFn = int(__stdcall*)(char*, int);

constexpr std::size_t kProbeBuffer = 1024;
constexpr std::size_t kAnswerSize = 255;
constexpr unsigned char kCanary = 0xA5;

std::string Json(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

const char* Json(bool b) {
    return b ? "true" : "false";
}

void Line(const std::string& json) {
    std::fputs((json + "\n").c_str(), stdout);
    std::fflush(stdout);
}

struct CanaryBuffer {
    std::vector<unsigned char> bytes = std::vector<unsigned char>(kProbeBuffer, kCanary);
    char* data() { return reinterpret_cast<char*>(bytes.data()); }

    // What the caller of the library sees, and how far the library wrote.
    std::string Describe() const {
        std::size_t zero = 0;
        while (zero < kAnswerSize && bytes[zero] != 0)
            ++zero;
        bool terminated = zero < kAnswerSize;
        std::size_t touched = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i)
            if (bytes[i] != kCanary) touched = i + 1;
        bool intact = true;
        for (std::size_t i = kAnswerSize; i < bytes.size(); ++i)
            intact = intact && bytes[i] == kCanary;
        std::string text(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(zero));
        return "\"text\":" + Json(text) + ",\"terminated\":" + Json(terminated) +
               ",\"canary_intact\":" + Json(intact) +
               ",\"bytes_touched\":" + std::to_string(touched);
    }
};

std::string Call(const char* name) {
    return std::string("{\"call\":") + Json(std::string(name));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const wchar_t* path = argc >= 2 ? argv[1] : L".\\USBPrinterlibary.dll";
    Module dll(LoadLibraryW(path));
    if (!dll) {
        Line("{\"load\":false,\"error\":" + std::to_string(GetLastError()) + "}");
        return 2;
    }
    HMODULE m = dll.get();
    auto status = ProcAddress<StatusFn>(m, "GetPrinterStatus");
    auto open = ProcAddress<VoidFn>(m, "OpenPrinterPort");
    auto close = ProcAddress<VoidFn>(m, "ClosePrinterPort");
    auto send = ProcAddress<SendFn>(m, "SendPrinterData");
    auto port = ProcAddress<PortFn>(m, "GetUSBPort");
    auto portList = ProcAddress<ListFn>(m, "GetUSBPortList");
    auto nameList = ProcAddress<ListFn>(m, "GetUSBPortNameList");
    auto version = ProcAddress<VersionFn>(m, "GetPrinterLibVersion");
    auto vidList = ProcAddress<VidListFn>(m, "GetPrinterVIDList");

    std::string found = "{\"load\":true,\"exports\":{";
    const char* names[] = {"GetPrinterStatus",   "OpenPrinterPort",      "ClosePrinterPort",
                           "SendPrinterData",    "GetUSBPort",           "GetUSBPortList",
                           "GetUSBPortNameList", "GetPrinterLibVersion", "GetPrinterVIDList"};
    bool all = true;
    for (const char* n : names) {
        bool here = GetProcAddress(m, n) != nullptr;
        all = all && here;
        found += (found.back() == '{' ? "" : ",") + Json(std::string(n)) + ":" + Json(here);
    }
    Line(found + "}}");
    if (!all) return 3;

    {
        CanaryBuffer buf;
        int count = 0;
        bool r = nameList(buf.data(), &count);
        Line(Call("GetUSBPortNameList") + ",\"result\":" + Json(r) +
             ",\"count\":" + std::to_string(count) + "," + buf.Describe() + "}");
    }
    {
        CanaryBuffer buf;
        int count = 0;
        bool r = portList(buf.data(), &count);
        Line(Call("GetUSBPortList") + ",\"result\":" + Json(r) +
             ",\"count\":" + std::to_string(count) + "," + buf.Describe() + "}");
    }
    {
        CanaryBuffer buf;
        bool r = port(buf.data());
        Line(Call("GetUSBPort") + ",\"result\":" + Json(r) + "," + buf.Describe() + "}");
    }
    {
        CanaryBuffer buf;
        int r = vidList(buf.data(), static_cast<int>(kAnswerSize));
        Line(Call("GetPrinterVIDList") + ",\"result\":" + std::to_string(r) + "," + buf.Describe() +
             "}");
    }
    {
        int value = 0;
        int r = version(&value);
        Line(Call("GetPrinterLibVersion") + ",\"result\":" + std::to_string(r) +
             ",\"value\":" + std::to_string(value) + "}");
    }

    // Bad arguments, with no port open: every call must come back.
    {
        CanaryBuffer buf;
        int count = 7;
        std::string r = "{\"call\":\"bad-arguments\"";
        r += ",\"namelist_null_null\":" + std::string(Json(nameList(nullptr, nullptr)));
        r += ",\"namelist_null_count\":" + std::string(Json(nameList(nullptr, &count)));
        r += ",\"namelist_null_count_value\":" + std::to_string(count);
        r += ",\"namelist_buffer_null\":" + std::string(Json(nameList(buf.data(), nullptr)));
        r += ",\"portlist_null_null\":" + std::string(Json(portList(nullptr, nullptr)));
        r += ",\"port_null\":" + std::string(Json(port(nullptr)));
        r += ",\"vidlist_null\":" + std::to_string(vidList(nullptr, 255));
        r += ",\"vidlist_negative\":" + std::to_string(vidList(buf.data(), -5));
        r += ",\"vidlist_zero\":" + std::to_string(vidList(buf.data(), 0));
        r += ",\"version_null\":" + std::to_string(version(nullptr));
        r += ",\"status_null_null\":" + std::to_string(status(nullptr, nullptr));
        r += ",\"send_closed\":" + std::to_string(send(buf.data(), 4));
        r += ",\"send_null\":" + std::to_string(send(nullptr, 5));
        r += ",\"send_negative\":" + std::to_string(send(buf.data(), -1));
        r += ",\"close_unopened\":" + std::to_string(close());
        Line(r + "," + buf.Describe() + "}");
    }

    // A port session: open, send, status, close.
    {
        char data[] = "probe data\r\n";
        char text[kAnswerSize];
        std::memset(text, 'x', sizeof text);
        int st = -1;
        std::string r = "{\"call\":\"session\"";
        r += ",\"open\":" + std::to_string(open());
        r += ",\"open_again\":" + std::to_string(open());
        r += ",\"send_null\":" + std::to_string(send(nullptr, 5));
        r += ",\"send_negative\":" + std::to_string(send(data, -1));
        r += ",\"send_empty\":" + std::to_string(send(data, 0));
        r += ",\"send\":" + std::to_string(send(data, static_cast<int>(std::strlen(data))));
        r += ",\"status_null_null\":" + std::to_string(status(nullptr, nullptr));
        int sr = status(text, &st);
        text[kAnswerSize - 1] = '\0';
        r += ",\"status\":" + std::to_string(sr) + ",\"status_value\":" + std::to_string(st) +
             ",\"status_text\":" + Json(std::string(text));
        r += ",\"close\":" + std::to_string(close());
        r += ",\"close_again\":" + std::to_string(close());
        r += ",\"send_after_close\":" + std::to_string(send(data, 4));
        Line(r + "}");
    }
    return 0;
}
