#include "UsbDevices.h"

#include <windows.h>

#include <setupapi.h>

#include <cstdio>

#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"

namespace usblib {

namespace {

// The device interface class of USB printers (usbprint.sys).
const GUID kUsbPrintInterface = {
    0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};

// A simulation file is a short hand-written list; anything larger is a mistake.
constexpr LONGLONG kMaxSimulationFileSize = 1 << 20;

// A device information set; the API marks failure with INVALID_HANDLE_VALUE.
struct DestroyDeviceInfoListCloser {
    void operator()(HDEVINFO set) const {
        if (set != INVALID_HANDLE_VALUE) ::SetupDiDestroyDeviceInfoList(set);
    }
};
using DeviceInfoSet = UniqueHandle<HDEVINFO, DestroyDeviceInfoListCloser, nullptr>;

// Device paths and port names are ASCII in practice; anything else cannot be part of an
// identifier or port name we report, so it is replaced rather than converted.
std::string AsciiOnly(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text)
        out += (c > 0 && c < 0x80) ? static_cast<char>(c) : '?';
    return out;
}

std::wstring ModuleFolder() {
    static const int anchor = 0; // any address inside this DLL names the DLL
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&anchor), &self))
        return {};
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(self, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
    std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxSimulationFileSize) return false;
    bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file.get(), &bytes[done], static_cast<DWORD>(bytes.size() - done), &got,
                      nullptr))
            return false;
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return true;
}

PrinterSearch FromSimulationFile(const std::wstring& folder, const std::wstring& file) {
    PrinterSearch search;
    std::string bytes;
    if (!ReadWholeFile(file, bytes)) {
        OutputDebugStringA("USBPrinterlibary: the simulation file cannot be read\n");
        return search;
    }
    SimulationFile parsed = ParseSimulationFile(bytes);
    for (const std::string& problem : parsed.problems)
        OutputDebugStringA(("USBPrinterlibary: simulation file " + problem + "\n").c_str());
    for (UsbPrinter& printer : parsed.printers) {
        std::wstring capture =
            folder + L"USBPrinterlibary." + ToWide(FromAscii(printer.port)) + L".out";
        search.printers.push_back({std::move(printer), std::move(capture), true});
    }
    search.ok = true;
    return search;
}

bool QueryString(HKEY key, const wchar_t* name, std::wstring& value) {
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || bytes > 4096)
        return false;
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &bytes) !=
        ERROR_SUCCESS)
        return false;
    // The stored value need not carry its terminating zero.
    text.resize(wcsnlen(text.c_str(), bytes / sizeof(wchar_t)));
    value = text;
    return true;
}

bool QueryDword(HKEY key, const wchar_t* name, DWORD& value) {
    DWORD type = 0, bytes = sizeof(value);
    return RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) ==
               ERROR_SUCCESS &&
           type == REG_DWORD;
}

// The port name usbprint gave the interface, from its "Device Parameters" key: "Port Name",
// or "Base Name" and "Port Number" where only those are stored.
std::string PortNameOf(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& iface) {
    HKEY opened = SetupDiOpenDeviceInterfaceRegKey(set, &iface, 0, KEY_READ);
    if (opened == INVALID_HANDLE_VALUE) return {};
    RegKey key(opened);
    std::wstring name;
    if (QueryString(key.get(), L"Port Name", name)) return AsciiOnly(name);
    std::wstring base;
    DWORD number = 0;
    if (QueryString(key.get(), L"Base Name", base) &&
        QueryDword(key.get(), L"Port Number", number) && number <= 999) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%03lu", static_cast<unsigned long>(number));
        return AsciiOnly(base) + digits;
    }
    return {};
}

PrinterSearch FromDevices() {
    PrinterSearch search;
    DeviceInfoSet set(SetupDiGetClassDevsW(&kUsbPrintInterface, nullptr, nullptr,
                                           DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (set.get() == INVALID_HANDLE_VALUE) return search;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA iface{};
        iface.cbSize = sizeof iface;
        if (!SetupDiEnumDeviceInterfaces(set.get(), nullptr, &kUsbPrintInterface, index, &iface)) {
            if (GetLastError() != ERROR_NO_MORE_ITEMS) return search;
            break;
        }
        DWORD need = 0;
        SetupDiGetDeviceInterfaceDetailW(set.get(), &iface, nullptr, 0, &need, nullptr);
        if (need < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
        // DWORD elements keep the detail record aligned as the API wants it.
        std::vector<DWORD> storage(need / sizeof(DWORD) + 1);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!SetupDiGetDeviceInterfaceDetailW(set.get(), &iface, detail, need, nullptr, nullptr))
            continue;
        std::wstring path = detail->DevicePath;
        std::optional<UsbIds> ids = ParseDevicePath(AsciiOnly(path));
        std::string port = PortNameOf(set.get(), iface);
        // The wizard reads the port from an entry's first six characters and compares
        // identifiers exactly: a printer without both could never be matched.
        if (!ids || !IsPortName(port)) continue;
        search.printers.push_back({{port, ids->vid, ids->pid, {}}, path, false});
    }
    search.ok = true;
    return search;
}

} // namespace

PrinterSearch FindPrinters() {
    std::wstring folder = ModuleFolder();
    if (!folder.empty()) {
        std::wstring file = folder + ToWide(FromAscii(kSimulationFileName));
        DWORD attributes = GetFileAttributesW(file.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return FromSimulationFile(folder, file);
    }
    return FromDevices();
}

} // namespace usblib
