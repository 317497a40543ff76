// Misbehaving stand-ins for USBPrinterlibary.dll, one per BAD_USB_VARIANT, for the fault tests
// of the wizard. Each breaks the library's contract in one way a third-party library might:
//
// BAD_USB_MISSING       exports neither GetUSBPortNameList nor GetPrinterLibVersion.
// BAD_USB_OVERCOUNT     one printer in the list ("USB001,VID_1A2B,PID_3C4D"), a count of 9.
// BAD_USB_UNTERMINATED  255 bytes without a zero byte: the printer above, then filler; and
//                       past the 255 bytes it was promised, one more printer (USB002) that a
//                       reader keeping to the promise never sees.
//
// The functions are exported under their plain names (the 32-bit build links with
// --kill-at), as the wizard looks them up.
#include <windows.h>

#include <cstring>

#define BAD_USB_EXPORT extern "C" __declspec(dllexport)

namespace {

constexpr int kVersion = 100;
constexpr char kPrinter[] = "USB001,VID_1A2B,PID_3C4D";

} // namespace

#if defined(BAD_USB_MISSING)

BAD_USB_EXPORT bool __stdcall GetUSBPort(char* buffer) {
    if (buffer) std::strcpy(buffer, "USB001");
    return buffer != nullptr;
}

#elif defined(BAD_USB_OVERCOUNT)

BAD_USB_EXPORT bool __stdcall GetUSBPortNameList(char* buffer, int* count) {
    std::strcpy(buffer, kPrinter);
    *count = 9;
    return true;
}

BAD_USB_EXPORT int __stdcall GetPrinterLibVersion(int* version) {
    *version = kVersion;
    return kVersion;
}

#elif defined(BAD_USB_UNTERMINATED)

BAD_USB_EXPORT bool __stdcall GetUSBPortNameList(char* buffer, int* count) {
    constexpr std::size_t promised = 255;
    constexpr char beyond[] = ";USB002,VID_1A2B,PID_3C4D";
    std::memset(buffer, 'Z', promised);
    std::memcpy(buffer, kPrinter, sizeof kPrinter - 1);
    buffer[sizeof kPrinter - 1] = ';';
    std::memcpy(buffer + promised, beyond, sizeof beyond); // with its zero, past the promise
    *count = 3;
    return true;
}

BAD_USB_EXPORT int __stdcall GetPrinterLibVersion(int* version) {
    *version = kVersion;
    return kVersion;
}

#else
#error "define one BAD_USB_ variant"
#endif

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
