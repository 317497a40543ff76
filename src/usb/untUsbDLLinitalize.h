#pragma once
// The USB printer library beside the program, bound entry point by entry point.
#include <cstdint>

// The library's entry points use the stdcall convention (it only differs on 32-bit x86).
#if defined(_WIN32) && defined(__i386__)
#define USBLIB_CALL __attribute__((stdcall))
#else
#define USBLIB_CALL
#endif

using TGetPrinterStatus = std::int32_t(USBLIB_CALL*)(char* buffer, std::int32_t* status);
using TOpenPrinterPort = std::int32_t(USBLIB_CALL*)();
using TClosePrinterPort = std::int32_t(USBLIB_CALL*)();
using TSendPrinterData = std::int32_t(USBLIB_CALL*)(char* buffer, std::int32_t length);
using TGetUSBPort = bool(USBLIB_CALL*)(char* buffer);
using TGetUSBPortList = bool(USBLIB_CALL*)(char* buffer, std::int32_t* count);
using TGetUSBPortNameList = bool(USBLIB_CALL*)(char* buffer, std::int32_t* count);
using TGetPrinterLibVersion = std::int32_t(USBLIB_CALL*)(std::int32_t* version);
using TGetPrinterVIDList = std::int32_t(USBLIB_CALL*)(char* buffer, std::int32_t length);

// Unset (nullptr) while the library lacks the entry point or is not loaded.
extern TGetPrinterStatus Fuc_GetPrinterUSBStatus;
extern TOpenPrinterPort fuc_OpenPrinterUSBPort;
extern TClosePrinterPort Fuc_ClosePrinterUSBPort;
extern TSendPrinterData Fuc_SendPrinterUSBData;
extern TGetUSBPort Fuc_GetUSBPort;
extern TGetUSBPortList Fuc_GetUSBPortList;
extern TGetUSBPortNameList Fuc_GetUSBPortNameList;
extern TGetPrinterLibVersion Fuc_GetPrinterLibVersion;
extern TGetPrinterVIDList Fuc_GetPrinterVIDList;

// True when USBPrinterlibary.dll exists in the program's folder.
bool CheckDLLFile();
// Loads the library and binds every entry point it has; false when it is missing or cannot
// be loaded. A missing entry point stays unset without failing.
bool initUsbDLL();
// Forgets every binding (tests).
void ResetUsbDLL();

// The library's version number, 0 when its version entry point is not bound.
std::int32_t UsbLibraryVersion();
